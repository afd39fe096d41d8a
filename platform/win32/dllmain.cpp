// The plug-in library's load entry: keeps the module handle for the resource lookups.
#include <windows.h>

#include "platform/win32_module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) platform::setModuleHandle(instance);
  return TRUE;
}
