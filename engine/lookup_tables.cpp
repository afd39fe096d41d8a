#include "engine/lookup_tables.h"

#include <mutex>
#include <numbers>

float sineTable[kSineTableSteps + 2];
float sineTable2[kSineTableSteps + 2];
float cosineTable[kSineTableSteps + 2];
float curveTable[kCurveTableSteps + 2];

namespace {

std::once_flag gTablesBuilt;

// Entry i = fn(i x step) with the position in single precision; then entry 0 repeated.
template <typename Fn>
void fillTable(float* t, int steps, float step, Fn fn) {
  for (int i = 0; i <= steps; ++i) t[i] = fn(static_cast<float>(i) * step);
  t[steps + 1] = t[0];
}

void buildTables() {
  const float sineStep = static_cast<float>(2.0 * std::numbers::pi / kSineTableSteps);
  auto sine = [](float x) { return static_cast<float>(std::sin(static_cast<double>(x))); };
  auto cosine = [](float x) { return static_cast<float>(std::cos(static_cast<double>(x))); };
  fillTable(sineTable, kSineTableSteps, sineStep, sine);
  fillTable(sineTable2, kSineTableSteps, sineStep, sine);
  fillTable(cosineTable, kSineTableSteps, sineStep, cosine);
  fillTable(curveTable, kCurveTableSteps, 1.0f / kCurveTableSteps, resonanceCurve);
}

// Builds the tables while the library loads, before any engine object exists.
const struct TablesAtLoad {
  TablesAtLoad() { ensureLookupTables(); }
} gTablesAtLoad;

}  // namespace

void ensureLookupTables() { std::call_once(gTablesBuilt, buildTables); }

float resonanceCurve(float x) {
  static const double k = 1.04 / std::pow(2.0, 0.1);
  return static_cast<float>((1.0 - std::pow(2.0 * static_cast<double>(x), 0.1) * k) * 2.0);
}
