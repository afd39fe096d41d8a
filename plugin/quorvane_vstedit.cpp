#include "plugin/quorvane_vstedit.h"

#include <cmath>

Quorvane_VSTEdit::Quorvane_VSTEdit(audioMasterCallback audioMaster, const BuildIdentity& identity,
                                   EditorFactory makeEditor)
    : Quorvane_VST(audioMaster, identity) {
  setUniqueID(identity.uniqueId);
  if (makeEditor) {
    try {
      window_ = makeEditor(*this);
    } catch (...) {
      window_ = nullptr;
    }
    setEditor(window_);  // the has-editor flag follows
  }
  finishConstruction();
}

Quorvane_VSTEdit::~Quorvane_VSTEdit() {
  ParameterEditor* window = window_;
  window_ = nullptr;
  setEditor(nullptr);
  delete window;
}

void Quorvane_VSTEdit::setParameter(int32_t index, float value) {
  if (index < 1 || index > kLastCordParam || std::isnan(value)) return;
  Quorvane_VST::setParameter(index, value);
  if (window_) window_->setParameter(index, getParameter(index));
}
