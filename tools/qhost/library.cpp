#include "library.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace qhost {

Library::~Library() { close(); }

#if defined(_WIN32)

bool Library::open(const std::string& path, std::string& error) {
  close();
  handle_ = reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
  if (!handle_) {
    error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  return true;
}

void* Library::symbol(const char* name) const {
  if (!handle_) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

void Library::close() {
  if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
  handle_ = nullptr;
}

#else

bool Library::open(const std::string& path, std::string& error) {
  close();
  // dlopen searches the library path for names without a slash; a plug-in is a file.
  const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
  handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    const char* why = dlerror();
    error = "cannot load " + path + ": " + (why ? why : "unknown error");
    return false;
  }
  return true;
}

void* Library::symbol(const char* name) const { return handle_ ? dlsym(handle_, name) : nullptr; }

void Library::close() {
  if (handle_) dlclose(handle_);
  handle_ = nullptr;
}

#endif

}  // namespace qhost
