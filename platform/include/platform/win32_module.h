// Windows only: the plug-in library's module handle, kept by the library's load entry and
// used to find resources inside the library.
#pragma once

namespace platform {
void setModuleHandle(void* module);
}
