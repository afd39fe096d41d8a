#include "platform/textfile.h"

#include <cstdio>

namespace platform {

std::string fromTextMode(const std::string& bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    text.push_back(bytes[i]);
  }
  return text;
}

std::string toTextMode(const std::string& text) {
  std::string bytes;
  bytes.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') bytes.push_back('\r');
    bytes.push_back(c);
  }
  return bytes;
}

bool readBinaryFile(const std::string& path, std::string& out) {
  out.clear();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out.append(buffer, n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

bool readTextFile(const std::string& path, std::string& out) {
  std::string bytes;
  if (!readBinaryFile(path, bytes)) return false;
  out = fromTextMode(bytes);
  return true;
}

bool writeBinaryFile(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fclose(f) == 0 && ok;
  return ok;
}

bool writeTextFile(const std::string& path, const std::string& text) {
  return writeBinaryFile(path, toTextMode(text));
}

}  // namespace platform
