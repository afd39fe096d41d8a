// WAV files through libsndfile. The Windows build has no libsndfile: there every call
// fails with a message saying so, and qhost prints the statistics only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qhost {

// True when this build reads and writes WAV files.
bool wavSupported();

struct AudioData {
  int channels = 0;
  double rate = 0;
  int64_t frames = 0;
  std::vector<float> samples;  // interleaved, frames x channels
};

// Reads the whole file as floats. False with a message in `error`.
bool readWav(const std::string& path, AudioData& out, std::string& error);

// Writes 32-bit float WAV data block by block.
class WavWriter {
 public:
  WavWriter() = default;
  ~WavWriter();
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  bool open(const std::string& path, int channels, double rate, std::string& error);
  bool write(const float* interleaved, int64_t frames, std::string& error);
  // Finishes the file; false when the last write to disk failed.
  bool close(std::string& error);
  // Closes and deletes a file that must not be left behind.
  void discard();

 private:
  void* file_ = nullptr;
  std::string path_;
};

}  // namespace qhost
