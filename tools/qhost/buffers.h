// The audio buffers of a block as a host hands them to processReplacing.
#pragma once

#include <cstdint>
#include <vector>

namespace qhost {

// The audio buffers of one block: planar channels as the plug-in sees them, and an
// interleaved copy for the file.
struct Buffers {
  std::vector<std::vector<float>> in, out;
  std::vector<float*> inPointers, outPointers;
  std::vector<float> interleaved;

  Buffers(int32_t inputs, int32_t outputs, int32_t block)
      : in(static_cast<size_t>(inputs), std::vector<float>(static_cast<size_t>(block))),
        out(static_cast<size_t>(outputs), std::vector<float>(static_cast<size_t>(block))),
        interleaved(static_cast<size_t>(outputs) * static_cast<size_t>(block)) {
    for (auto& c : in) inPointers.push_back(c.data());
    for (auto& c : out) outPointers.push_back(c.data());
    // Hosts pass a valid array even to plug-ins without inputs.
    if (inPointers.empty()) inPointers.push_back(nullptr);
  }
};

}  // namespace qhost
