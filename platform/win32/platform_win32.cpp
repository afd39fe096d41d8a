// Windows implementation of the platform services.
#include <windows.h>
#include <shlobj.h>

#include <cstdlib>

#include "platform/files.h"
#include "platform/platform.h"
#include "platform/win32_module.h"

namespace platform {
namespace {

HMODULE gModule = nullptr;

}  // namespace

void setModuleHandle(void* module) { gModule = static_cast<HMODULE>(module); }

std::string dataFolder() {
  std::string folder;
  char buffer[MAX_PATH + 1] = {};
  const DWORD n = GetEnvironmentVariableA("QUORVANE_DATA_DIR", buffer, sizeof buffer);
  if (n > 0 && n < sizeof buffer) {
    folder = buffer;
    if (folder.back() != '\\' && folder.back() != '/') folder.push_back('\\');
    return folder;
  }
  if (n >= sizeof buffer) return folder;  // a folder named that does not fit: none
  // No common application-data folder: no data folder at all, never a relative path that
  // would land in the host's working folder.
  if (SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, buffer) != S_OK || buffer[0] == '\0')
    return folder;
  folder = buffer;
  return folder + "\\Halvorsk\\Quorvane 3970\\";
}

char pathSeparator() { return '\\'; }

bool findResource(const char* name, const char* type, Resource& out) {
  if (!name || !type) return false;
  HRSRC info = FindResourceA(gModule, name, type);
  if (!info) return false;
  HGLOBAL handle = LoadResource(gModule, info);
  if (!handle) return false;
  const void* data = LockResource(handle);
  if (!data) return false;
  out.data = static_cast<const unsigned char*>(data);
  out.size = SizeofResource(gModule, info);
  return true;
}

MessageAnswer messageBox(void* owner, const std::string& text, const std::string& caption,
                         MessageButtons buttons) {
  const UINT type = MB_TASKMODAL | (buttons == MessageButtons::OkCancel ? MB_OKCANCEL : MB_OK);
  const int answer = MessageBoxA(static_cast<HWND>(owner), text.c_str(), caption.c_str(), type);
  return answer == IDOK ? MessageAnswer::Ok : MessageAnswer::Cancel;
}

bool makeDirectory(const std::string& path) {
  if (CreateDirectoryA(path.c_str(), nullptr)) return true;
  return GetLastError() == ERROR_ALREADY_EXISTS && isDirectory(path);
}

bool isDirectory(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool renameReplacing(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool removeFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

double monotonicSeconds() {
  static const double period = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return 1.0 / static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * period;
}

void sleepMilliseconds(int ms) { Sleep(static_cast<DWORD>(ms)); }

void beep(int frequencyHz, int durationMs) {
  Beep(static_cast<DWORD>(frequencyHz), static_cast<DWORD>(durationMs));
}

}  // namespace platform
