#include "plugin/editor_interface.h"

#include "plugin/quorvane_vstedit.h"

namespace {

bool isParameter(int index) { return index >= 1 && index <= kLastCordParam; }

// A parameter text through the plug-in's host-facing call, into a buffer larger than any.
template <typename Get>
std::string parameterText(int index, Get get) {
  char text[64] = "";
  if (isParameter(index)) get(text);
  return text;
}

}  // namespace

float EditorInterface::getParameter(int index) const { return plugin_.getParameter(index); }

void EditorInterface::beginEdit(int index) {
  if (isParameter(index)) plugin_.beginEdit(index);
}

void EditorInterface::setParameter(int index, float normalised) {
  if (isParameter(index)) plugin_.setParameterAutomated(index, normalised);
}

void EditorInterface::endEdit(int index) {
  if (isParameter(index)) plugin_.endEdit(index);
}

void EditorInterface::setParameterReal(int index, float plain) {
  if (isParameter(index)) plugin_.setParameterReal(index, plain);
}

std::string EditorInterface::parameterName(int index) const {
  return parameterText(index, [&](char* text) { plugin_.getParameterName(index, text); });
}

std::string EditorInterface::parameterLabel(int index) const {
  return parameterText(index, [&](char* text) { plugin_.getParameterLabel(index, text); });
}

std::string EditorInterface::parameterDisplay(int index) const {
  return parameterText(index, [&](char* text) { plugin_.getParameterDisplay(index, text); });
}

float EditorInterface::displayValue(int which) const { return plugin_.engine().displayValue(which); }

KeySnapshot EditorInterface::keys() const { return plugin_.keySnapshot(); }

void EditorInterface::playNote(int key, int velocity) { plugin_.playNote(key, velocity); }

void EditorInterface::triggerEnvelopes(bool pressed) { plugin_.triggerEnvelopes(pressed); }

void EditorInterface::setPortamento(bool pressed) { plugin_.setPortamento(pressed); }

void EditorInterface::loadLibraryPatch() { plugin_.changePatch(kChangeLibraryPatch, true); }

struct EditorInterface::PatchHold::Held {
  explicit Held(Quorvane_VST& plugin) : hold(plugin) {}
  Quorvane_VST::PatchHold hold;
};

EditorInterface::PatchHold::PatchHold(EditorInterface& editor) : held_(std::make_unique<Held>(editor.plugin_)) {}

EditorInterface::PatchHold::~PatchHold() = default;

PatchLibrary* EditorInterface::PatchHold::library() const { return held_->hold.library(); }
