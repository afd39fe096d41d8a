// The one interface between the plug-in and the operating system. Everything here has a
// real Windows implementation (platform/win32) and a headless stand-in for Linux tests
// (platform/headless). No other folder talks to the OS.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// The shared data folder, ending in a path separator. $QUORVANE_DATA_DIR wins when set
// (a separator is appended if missing); otherwise the common application-data folder
// followed by "Halvorsk/Quorvane 3970/". Empty when no folder can be named (the lookup
// failed, or the named folder does not fit the platform's path limit). Any thread.
std::string dataFolder();

// The separator the data folder uses ('\\' on Windows, '/' elsewhere).
char pathSeparator();

// A resource linked into the plug-in library. The bytes stay valid while the library is
// loaded. Names are matched without regard to case; a type is "PNG" or "#number".
struct Resource {
  const unsigned char* data = nullptr;
  std::size_t size = 0;
};
bool findResource(const char* name, const char* type, Resource& out);

// Message boxes: empty caption unless given, task-modal. Returns the button pressed.
enum class MessageButtons { Ok, OkCancel };
enum class MessageAnswer { Ok = 1, Cancel = 2 };
MessageAnswer messageBox(void* owner, const std::string& text, const std::string& caption = "",
                         MessageButtons buttons = MessageButtons::Ok);

// Monotonic high-resolution clock in seconds. Any thread, including the audio thread.
double monotonicSeconds();

// Sleeps the calling thread. Never called on the audio thread.
void sleepMilliseconds(int ms);

// The refusal beep of the text editor.
void beep(int frequencyHz, int durationMs);

}  // namespace platform
