// One loaded plug-in instance: the library, the effect record its entry point returned,
// and the calls qhost makes on it. Closing sends effClose, which deletes the plug-in's
// object, and then unloads the library.
#pragma once

#include <cstdint>
#include <string>

#include "library.h"
#include "vst/aeffect.h"

namespace qhost {

class Plugin {
 public:
  Plugin() = default;
  ~Plugin() { close(); }
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  // Loads the library, calls VSTPluginMain (or main) with the host callback and checks the
  // effect record. False with a message in `error`.
  bool load(const std::string& path, std::string& error);
  // effOpen; separate from load so that `info` can report a record with a wrong magic.
  void open();
  void close();

  AEffect* effect() const { return effect_; }
  intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                    float opt = 0) const;
  // A text the plug-in writes into a host buffer. The buffer is far larger than the
  // interface's limits, since plug-ins often write past them; the caller checks the length.
  std::string text(int32_t opcode, int32_t index = 0) const;

 private:
  Library library_;
  AEffect* effect_ = nullptr;
  bool opened_ = false;
};

// The four characters of a VST identifier, with '.' for unprintable bytes.
std::string fourChars(int32_t code);

}  // namespace qhost
