#include "engine/minblep_table.h"

#include <atomic>
#include <charconv>
#include <cmath>
#include <memory>
#include <mutex>
#include <string_view>

#include "platform/platform.h"

namespace {

// Reads one number at the start of [p, end) after blanks; advances p past it.
bool readNumber(const char*& p, const char* end, double& out) {
  while (p < end && (*p == ' ' || *p == '\t')) ++p;
  if (p < end && *p == '+') ++p;
  const std::from_chars_result r = std::from_chars(p, end, out);
  if (r.ec != std::errc() || !std::isfinite(out)) return false;
  p = r.ptr;
  return true;
}

// The rest of a header line, after its number, ends with the expected label ("% corner").
bool labelIs(const char* p, const char* end, std::string_view label) {
  const char* e = p;
  while (e < end && *e != '\n') ++e;
  while (e > p && (e[-1] == '\r' || e[-1] == ' ' || e[-1] == '\t')) --e;
  const std::string_view rest(p, static_cast<std::size_t>(e - p));
  return rest.size() > label.size() && rest.ends_with(label) &&
         (rest[rest.size() - label.size() - 1] == ' ' || rest[rest.size() - label.size() - 1] == '\t');
}

// Moves p past the next LF (or to the end); a CR before it is part of the skipped rest.
void skipLine(const char*& p, const char* end) {
  while (p < end && *p != '\n') ++p;
  if (p < end) ++p;
}

// The value lines hold a number and nothing else but blanks and an optional CR.
bool restIsBlank(const char* p, const char* end) {
  for (; p < end && *p != '\n'; ++p)
    if (*p != ' ' && *p != '\t' && *p != '\r') return false;
  return true;
}

std::once_flag gTableOnce;
std::atomic<MinBlepTable*> gTable{nullptr};
std::atomic<int> gUseCount{0};

// Frees the table when the library is unloaded.
struct TableOwner {
  ~TableOwner() { delete gTable.exchange(nullptr); }
} gTableOwner;

void createTable() {
  MinBlepTable* table = nullptr;
  platform::Resource r;
  if (platform::findResource("MB", "#2110", r) && r.data)
    table = MinBlepTable::parse(reinterpret_cast<const char*>(r.data), r.size);
  if (!table) table = MinBlepTable::idealStep();
  gTable.store(table, std::memory_order_release);
}

}  // namespace

MinBlepTable::~MinBlepTable() { delete[] values; }

MinBlepTable* MinBlepTable::parse(const char* text, std::size_t length) {
  if (!text) return nullptr;
  const char* p = text;
  const char* end = text + length;
  static constexpr std::string_view kLabels[4] = {"corner", "oversampling", "nzc", "size"};
  double header[4];
  for (int i = 0; i < 4; ++i) {
    if (!readNumber(p, end, header[i]) || !labelIs(p, end, kLabels[i])) return nullptr;
    skipLine(p, end);
  }
  // The oscillators read 64 points per sample and up to kMinSize - 1 points per step.
  if (header[1] != 64.0 || !(header[2] > 0.0)) return nullptr;
  if (header[3] != std::floor(header[3]) || header[3] < kMinSize || header[3] > kMaxSize) return nullptr;
  const int32_t size = static_cast<int32_t>(header[3]);
  std::unique_ptr<float[]> values(new float[static_cast<std::size_t>(size)]);
  for (int32_t i = 0; i < size; ++i) {
    double v;
    if (!readNumber(p, end, v) || !restIsBlank(p, end)) return nullptr;
    values[static_cast<std::size_t>(i)] = static_cast<float>(v);
    skipLine(p, end);
  }
  // Nothing but blank lines may follow the values.
  while (p < end) {
    if (!restIsBlank(p, end)) return nullptr;
    skipLine(p, end);
  }
  MinBlepTable* t = new MinBlepTable;
  t->size = size;
  t->corner = static_cast<float>(header[0]);
  t->oversampling = static_cast<float>(header[1]);
  t->zeroCrossings = static_cast<float>(header[2]);
  t->span = 2.0f * t->zeroCrossings;
  t->values = values.release();
  t->bandLimited = true;
  return t;
}

MinBlepTable* MinBlepTable::idealStep() {
  MinBlepTable* t = new MinBlepTable;
  t->size = 3091;
  t->corner = 0.9f;
  t->oversampling = 64.0f;
  t->zeroCrossings = 22.0f;
  t->span = 44.0f;
  t->values = new float[static_cast<std::size_t>(t->size)];
  for (int32_t i = 0; i < t->size; ++i) t->values[i] = 1.0f;
  t->bandLimited = false;
  return t;
}

MinBlepTable* acquireMinBlepTable() {
  std::call_once(gTableOnce, createTable);
  gUseCount.fetch_add(1, std::memory_order_relaxed);
  return gTable.load(std::memory_order_acquire);
}

void releaseMinBlepTable() {
  int n = gUseCount.load(std::memory_order_relaxed);
  while (n > 0 && !gUseCount.compare_exchange_weak(n, n - 1, std::memory_order_relaxed)) {
  }
}

MinBlepTable* sharedMinBlepTable() { return gTable.load(std::memory_order_acquire); }

int minBlepTableUseCount() { return gUseCount.load(std::memory_order_relaxed); }
