// Data files are written on Windows and read with Windows text-mode semantics on every
// platform: CR LF reads as LF. Writers for list files produce CR LF on every platform.
#pragma once

#include <string>

namespace platform {

// Reads the whole file; CR LF pairs become LF. False when the file cannot be opened.
bool readTextFile(const std::string& path, std::string& out);

// Reads the whole file unchanged (patch files, archives, tunings).
bool readBinaryFile(const std::string& path, std::string& out);

// Writes text with every LF stored as CR LF (Windows text mode). False on any failure.
bool writeTextFile(const std::string& path, const std::string& text);

// Writes bytes unchanged. False on any failure.
bool writeBinaryFile(const std::string& path, const std::string& bytes);

// Text-mode conversions, shared by the readers and writers above.
std::string fromTextMode(const std::string& bytes);
std::string toTextMode(const std::string& text);

}  // namespace platform
