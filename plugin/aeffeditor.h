// Base of the editor object the host drives through the editor opcodes. GUI thread only.
#pragma once

#include "vst/aeffect.h"

class AudioEffect;

class AEffEditor {
 public:
  explicit AEffEditor(AudioEffect* effect) : effect_(effect) {}
  virtual ~AEffEditor() = default;

  virtual AudioEffect* getEffect() { return effect_; }
  virtual bool getRect(ERect** rect) {
    if (rect) *rect = nullptr;
    return false;
  }
  virtual bool open(void* parentWindow) {
    systemWindow_ = parentWindow;
    return false;
  }
  virtual void close() { systemWindow_ = nullptr; }
  virtual bool isOpen() { return systemWindow_ != nullptr; }
  virtual void idle() {}
  virtual bool onKeyDown(VstKeyCode&) { return false; }
  virtual bool onKeyUp(VstKeyCode&) { return false; }
  virtual bool onWheel(float) { return false; }
  virtual bool setKnobMode(int32_t) { return false; }

 protected:
  AudioEffect* effect_;
  void* systemWindow_ = nullptr;
};
