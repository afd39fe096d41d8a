// The object the entry point creates: the plug-in with its editor window. It sets the
// identifier the host sees, creates the editor and tells it of every parameter change.
#pragma once

#include <cstdint>

#include "plugin/editor_interface.h"
#include "plugin/quorvane_vst.h"

class Quorvane_VSTEdit : public Quorvane_VST {
 public:
  // Creates the editor for a plug-in; none (or an exception) leaves the plug-in without one.
  using EditorFactory = ParameterEditor* (*)(Quorvane_VSTEdit& plugin);

  Quorvane_VSTEdit(audioMasterCallback audioMaster, const BuildIdentity& identity,
                   EditorFactory makeEditor = nullptr);
  // Deletes the editor first, while everything it may look at still exists.
  ~Quorvane_VSTEdit() override;

  // Stores and routes the value, then tells the editor the value now stored (wait-free:
  // see ParameterEditor). Any thread, the audio thread included.
  void setParameter(int32_t index, float value) override;

 private:
  ParameterEditor* window_ = nullptr;
};
