#include "wavfile.h"

#include <cstdio>

#if defined(QHOST_HAVE_SNDFILE)
#include <sndfile.h>
#endif

namespace qhost {

#if defined(QHOST_HAVE_SNDFILE)

bool wavSupported() { return true; }

bool readWav(const std::string& path, AudioData& out, std::string& error) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) {
    error = "cannot read " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  if (info.channels <= 0 || info.channels > 64 || info.samplerate <= 0 || info.frames < 0) {
    sf_close(file);
    error = path + ": unusable channel count or sample rate";
    return false;
  }
  out.channels = info.channels;
  out.rate = info.samplerate;
  out.samples.assign(static_cast<size_t>(info.frames) * static_cast<size_t>(info.channels), 0.0f);
  out.frames = sf_readf_float(file, out.samples.data(), info.frames);
  out.samples.resize(static_cast<size_t>(out.frames) * static_cast<size_t>(info.channels));
  sf_close(file);
  return true;
}

WavWriter::~WavWriter() {
  std::string ignored;
  close(ignored);
}

bool WavWriter::open(const std::string& path, int channels, double rate, std::string& error) {
  SF_INFO info{};
  info.channels = channels;
  info.samplerate = static_cast<int>(rate + 0.5);
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) {
    error = "cannot write " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  file_ = file;
  path_ = path;
  return true;
}

bool WavWriter::write(const float* interleaved, int64_t frames, std::string& error) {
  if (!file_) return false;
  if (sf_writef_float(static_cast<SNDFILE*>(file_), interleaved, frames) != frames) {
    error = "cannot write " + path_ + ": " + sf_strerror(static_cast<SNDFILE*>(file_));
    return false;
  }
  return true;
}

bool WavWriter::close(std::string& error) {
  if (!file_) return true;
  const int status = sf_close(static_cast<SNDFILE*>(file_));
  file_ = nullptr;
  if (status != 0) {
    error = "cannot finish " + path_ + ": " + sf_error_number(status);
    return false;
  }
  return true;
}

void WavWriter::discard() {
  std::string ignored;
  close(ignored);
  if (!path_.empty()) std::remove(path_.c_str());
  path_.clear();
}

#else

namespace {
const char* const kNoWav = "this build of qhost cannot read or write WAV files (no libsndfile)";
}

bool wavSupported() { return false; }

bool readWav(const std::string&, AudioData&, std::string& error) {
  error = kNoWav;
  return false;
}

WavWriter::~WavWriter() = default;

bool WavWriter::open(const std::string&, int, double, std::string& error) {
  error = kNoWav;
  return false;
}

bool WavWriter::write(const float*, int64_t, std::string& error) {
  error = kNoWav;
  return false;
}

bool WavWriter::close(std::string&) { return true; }

void WavWriter::discard() {}

#endif

}  // namespace qhost
