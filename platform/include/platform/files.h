// Folder and file services of the data folder: making folders, replacing a file safely and
// testing what a path names. Paths are passed as the callers build them. Any non-audio
// thread.
#pragma once

#include <string>

namespace platform {

// Creates one folder (its parent must exist). True when the folder exists afterwards.
bool makeDirectory(const std::string& path);

// True when the path names an existing folder.
bool isDirectory(const std::string& path);

// Renames from over to, replacing an existing file at to in one step. False on failure;
// then to is unchanged.
bool renameReplacing(const std::string& from, const std::string& to);

// Removes a file. False when it could not be removed.
bool removeFile(const std::string& path);

// Writes bytes to a temporary file beside path and renames it over path, so that path holds
// either its old or its whole new content. False on any failure (the temporary is removed).
bool replaceFile(const std::string& path, const std::string& bytes);

// The same with every LF stored as CR LF (Windows text mode).
bool replaceTextFile(const std::string& path, const std::string& text);

}  // namespace platform
