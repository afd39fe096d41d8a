// `qhost info`: the effect record and the dispatcher's answers.
#include <cstdio>
#include <string>

#include "commands.h"
#include "host.h"
#include "plugin.h"

namespace qhost {
namespace {

std::string flagNames(int32_t flags) {
  static const struct {
    int32_t bit;
    const char* name;
  } kNames[] = {{effFlagsHasEditor, "hasEditor"},
                {effFlagsHasClip, "hasClip"},
                {effFlagsHasVu, "hasVu"},
                {effFlagsCanMono, "canMono"},
                {effFlagsCanReplacing, "canReplacing"},
                {effFlagsProgramChunks, "programChunks"},
                {effFlagsIsSynth, "isSynth"},
                {effFlagsNoSoundInStop, "noSoundInStop"},
                {effFlagsExtIsAsync, "extIsAsync"},
                {effFlagsExtHasBuffer, "extHasBuffer"},
                {effFlagsCanDoubleReplacing, "canDoubleReplacing"}};
  std::string names;
  for (const auto& n : kNames) {
    if (!(flags & n.bit)) continue;
    if (!names.empty()) names += ' ';
    names += n.name;
  }
  return names;
}

// Prints a text answer and warns when it is longer than the interface's buffer allows.
void printText(const char* key, const std::string& text, int32_t capacity) {
  std::printf("%s: %s\n", key, text.c_str());
  if (text.size() > static_cast<size_t>(capacity - 1))
    std::fprintf(stderr, "warning: %s is %zu characters, more than the %d the host buffer holds\n",
                 key, text.size(), capacity - 1);
}

void printParameters(const Plugin& plugin) {
  const AEffect* e = plugin.effect();
  for (int32_t i = 0; i < e->numParams; ++i) {
    const float value = e->getParameter ? e->getParameter(const_cast<AEffect*>(e), i) : 0.0f;
    std::printf("param.%d.name: %s\n", i, plugin.text(effGetParamName, i).c_str());
    std::printf("param.%d.label: %s\n", i, plugin.text(effGetParamLabel, i).c_str());
    std::printf("param.%d.display: %s\n", i, plugin.text(effGetParamDisplay, i).c_str());
    std::printf("param.%d.value: %.6f\n", i, static_cast<double>(value));
  }
}

}  // namespace

int runInfo(const InfoOptions& options) {
  Plugin plugin;
  std::string error;
  if (!plugin.load(options.plugin, error)) {
    std::fprintf(stderr, "error: %s\n", error.c_str());
    return 1;
  }
  const AEffect* e = plugin.effect();
  std::printf("magic: %s\n", fourChars(e->magic).c_str());
  if (e->magic != kEffectMagic) {
    std::fprintf(stderr, "error: the effect record's magic is not VstP\n");
    return 1;
  }
  plugin.open();
  std::printf("numPrograms: %d\n", e->numPrograms);
  std::printf("numParams: %d\n", e->numParams);
  std::printf("numInputs: %d\n", e->numInputs);
  std::printf("numOutputs: %d\n", e->numOutputs);
  std::printf("flags: 0x%x\n", static_cast<unsigned>(e->flags));
  std::printf("flagNames: %s\n", flagNames(e->flags).c_str());
  std::printf("uniqueID: %s\n", fourChars(e->uniqueID).c_str());
  std::printf("version: %d\n", e->version);
  std::printf("initialDelay: %d\n", e->initialDelay);
  printText("effectName", plugin.text(effGetEffectName), kVstMaxEffectNameLen);
  printText("vendor", plugin.text(effGetVendorString), kVstMaxVendorStrLen);
  printText("product", plugin.text(effGetProductString), kVstMaxProductStrLen);
  std::printf("vendorVersion: %ld\n", static_cast<long>(plugin.dispatch(effGetVendorVersion)));
  std::printf("vstVersion: %ld\n", static_cast<long>(plugin.dispatch(effGetVstVersion)));
  std::printf("category: %ld\n", static_cast<long>(plugin.dispatch(effGetPlugCategory)));
  for (const char* feature : {"receiveVstEvents", "receiveVstMidiEvent", "qhostNoSuchFeature"}) {
    char text[64];
    std::snprintf(text, sizeof text, "%s", feature);
    std::printf("canDo.%s: %ld\n", feature, static_cast<long>(plugin.dispatch(effCanDo, 0, 0, text)));
  }
  std::printf("parameters: %d\n", e->numParams);
  if (options.params) printParameters(plugin);
  return 0;
}

}  // namespace qhost
