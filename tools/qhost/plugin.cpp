#include "plugin.h"

#include <cstring>
#include <vector>

#include "host.h"

namespace qhost {
namespace {

using EntryPoint = AEffect*(VSTCALLBACK*)(audioMasterCallback);

}  // namespace

std::string fourChars(int32_t code) {
  std::string s;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>((static_cast<uint32_t>(code) >> shift) & 0xff);
    s.push_back(c >= 32 && c < 127 ? c : '.');
  }
  return s;
}

bool Plugin::load(const std::string& path, std::string& error) {
  close();
  if (!library_.open(path, error)) return false;
  void* entry = library_.symbol("VSTPluginMain");
  if (!entry) entry = library_.symbol("main");
  if (!entry) {
    error = path + " exports neither VSTPluginMain nor main";
    library_.close();
    return false;
  }
  effect_ = reinterpret_cast<EntryPoint>(entry)(hostCallback);
  if (!effect_) {
    error = path + ": the entry point returned no effect";
    library_.close();
    return false;
  }
  HostState& host = hostState();
  host.numInputs = effect_->numInputs;
  host.numOutputs = effect_->numOutputs;
  host.numParams = effect_->numParams;
  return true;
}

void Plugin::open() {
  if (effect_ && !opened_) {
    dispatch(effOpen);
    opened_ = true;
  }
}

void Plugin::close() {
  // A record with a wrong magic is not a VST effect: calling into it is not safe.
  if (effect_ && effect_->magic == kEffectMagic && effect_->dispatcher) dispatch(effClose);
  effect_ = nullptr;
  opened_ = false;
  library_.close();
}

intptr_t Plugin::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) const {
  if (!effect_ || !effect_->dispatcher) return 0;
  return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

std::string Plugin::text(int32_t opcode, int32_t index) const {
  std::vector<char> buffer(1024, 0);
  dispatch(opcode, index, 0, buffer.data());
  buffer.back() = 0;
  return buffer.data();
}

}  // namespace qhost
