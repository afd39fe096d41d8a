// `qhost validate`: learns what the plug-in declares, runs every check in turn and prints
// one line per check as it finishes, then a count line. Exit status 1 on any failure.
#include <chrono>
#include <cstdio>
#include <string>

#include "commands.h"
#include "validate.h"

namespace qhost {
namespace {

bool says(const Instance& instance, const char* feature) {
  std::string text = feature;
  return instance.dispatch(effCanDo, 0, 0, text.data()) == 1;
}

}  // namespace

int runValidate(const ValidateOptions& options) {
  ValidateContext ctx;
  ctx.path = options.plugin;
  ctx.level = options.level;
  {
    Instance probe;
    std::string error;
    if (!probe.start(options.plugin, 44100, 512, error)) {
      std::printf("FAIL load: %s\n", error.c_str());
      return 1;
    }
    const int32_t flags = probe.effect()->flags;
    ctx.takesMidi = (flags & effFlagsIsSynth) || says(probe, "receiveVstEvents") || says(probe, "receiveVstMidiEvent");
    ctx.chunks = flags & effFlagsProgramChunks;
    ctx.editor = flags & effFlagsHasEditor;
  }
  std::vector<Check> checks;
  for (auto group : {lifecycleChecks, infoChecks, processChecks, midiChecks, parameterChecks, stateChecks,
                     burstChecks, realtimeChecks, editorChecks})
    for (const Check& c : group()) checks.push_back(c);

  int passed = 0, failed = 0, skipped = 0;
  const auto start = std::chrono::steady_clock::now();
  for (const Check& check : checks) {
    const auto t0 = std::chrono::steady_clock::now();
    const CheckResult r = check.run(ctx);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (!r.failure.empty()) {
      ++failed;
      std::printf("FAIL %s: %s\n", check.name, r.failure.c_str());
    } else if (!r.skip.empty()) {
      ++skipped;
      std::printf("SKIP %s: %s\n", check.name, r.skip.c_str());
    } else {
      ++passed;
      std::printf("PASS %s\n", check.name);
    }
    std::fprintf(stderr, "  %s took %.2f s\n", check.name, seconds);
    std::fflush(stdout);
  }
  const double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("checks at level %d: %d pass, %d fail, %d skip (%.1f s)\n", ctx.level, passed, failed, skipped, total);
  return failed > 0 ? 1 : 0;
}

}  // namespace qhost
