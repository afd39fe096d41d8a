// The chunk path of the plug-in: any bytes handed to the dispatcher's set-chunk opcode, as a
// program chunk and as a bank chunk, on an instance made through the entry point, then read
// back with the get-chunk opcode. The instance lives for the whole run, as in a host.
#include <algorithm>
#include <vector>

#include "platform/headless.h"
#include "plugin/entry_point.h"
#include "tests/fuzz/fuzz_support.h"
#include "vst/aeffect.h"

namespace {

AEffect* gEffect = nullptr;
std::vector<char> gLastChunk;

// A host that gives its VST version and answers nothing else.
intptr_t VSTCALLBACK quietHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

intptr_t dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr) {
  return gEffect->dispatcher(gEffect, opcode, index, value, ptr, 0.0f);
}

// Copies the chunk the plug-in gives now, as a host does; the address sanitizer reports a
// buffer shorter than the size given.
void checkCurrentChunk(int32_t isProgram) {
  void* data = nullptr;
  const intptr_t size = dispatch(effGetChunk, isProgram, 0, &data);
  qvfuzz::require(size >= 0 && (size == 0 || data != nullptr), "a chunk has a buffer");
  const char* bytes = static_cast<const char*>(data);
  if (size > 0) std::vector<char>(bytes, bytes + size).swap(gLastChunk);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  qvfuzz::useOwnDataFolder("chunk");
  gEffect = createQuorvaneEffect(quietHost, kInstrumentIdentity);
  qvfuzz::require(gEffect != nullptr, "the entry point makes an instance");
  dispatch(effOpen, 0, 0, nullptr);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  for (int32_t isProgram = 1; isProgram >= 0; --isProgram) {
    // The host's buffer, spoilt once the call returns: the plug-in copies what it keeps.
    std::vector<uint8_t> chunk(data, data + size);
    dispatch(effSetChunk, isProgram, static_cast<intptr_t>(chunk.size()),
             chunk.empty() ? nullptr : chunk.data());
    std::fill(chunk.begin(), chunk.end(), uint8_t{0xEE});
    checkCurrentChunk(isProgram);
  }
  dispatch(effEditIdle, 0, 0, nullptr);
  platform::headless::clearShownMessages();
  return 0;
}
