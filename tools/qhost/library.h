// Loads a plug-in library and finds its entry point: dlopen on Linux, LoadLibrary on Windows.
#pragma once

#include <string>

namespace qhost {

class Library {
 public:
  Library() = default;
  ~Library();
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  // False with a message in `error` when the library cannot be loaded.
  bool open(const std::string& path, std::string& error);
  // The address of an exported function, or none.
  void* symbol(const char* name) const;
  void close();

 private:
  void* handle_ = nullptr;
};

}  // namespace qhost
