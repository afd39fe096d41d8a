// The editor's one view of the plug-in: its parameters with their texts, the display values,
// the keys held and played, the panel keyboard and buttons, and the patch library under the
// plug-in's patch lock. Each member names the thread it belongs to.
//
// The editor object itself derives from ParameterEditor, which the plug-in tells of every
// parameter change on whatever thread made it, the audio thread included.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "params/display_values.h"
#include "params/param_flags.h"
#include "plugin/aeffeditor.h"
#include "plugin/published_keys.h"

class PatchLibrary;
class Quorvane_VSTEdit;

// An editor that shows parameter values.
class ParameterEditor : public AEffEditor {
 public:
  using AEffEditor::AEffEditor;

  // Called by the plug-in after every parameter change, with the normalised value it now
  // holds, on the thread that made the change: the host's threads, the GUI thread and the
  // audio thread (MIDI controllers through the map). It must be wait-free: no lock, no
  // allocation, no window call. This one marks the parameter changed; the GUI thread takes
  // the marks on its timer (takeChangedParameters) and redraws.
  virtual void setParameter(int32_t index, float normalised) {
    (void)normalised;
    changed_.mark(index);
  }

 protected:
  // GUI thread: fn(index) for every parameter changed since the last call, ascending.
  template <typename Fn>
  void takeChangedParameters(Fn&& fn) {
    changed_.take(fn);
  }

 private:
  ParamFlags changed_;
};

class EditorInterface {
 public:
  explicit EditorInterface(Quorvane_VSTEdit& plugin) : plugin_(plugin) {}

  // --- Parameters 1..178 (others: 0, empty texts, ignored) ---

  // The stored value, normalised 0..1. Any thread.
  float getParameter(int index) const;
  // A panel edit as the host sees it: beginEdit when a control is grabbed, setParameter for
  // each move (stored, routed at the audio thread's next block, the host told), endEdit
  // when it is let go. GUI thread.
  void beginEdit(int index);
  void setParameter(int index, float normalised);
  void endEdit(int index);
  // A plain value set from the panel (stored and routed; the host is not told). GUI thread.
  void setParameterReal(int index, float plain);
  // The name (at most 51 characters), the unit label and the display text (at most 8 each)
  // the host sees. Any thread.
  std::string parameterName(int index) const;
  std::string parameterLabel(int index) const;
  std::string parameterDisplay(int index) const;

  // --- What the engine and the notes show ---

  // The engine's display value; 0 for an index outside DisplayValue. Any thread.
  float displayValue(int which) const;
  // The held keys and each voice context's key, as the audio thread published them at the
  // end of its last block (or the host's thread while no audio runs). Any thread.
  KeySnapshot keys() const;

  // --- The panel keyboard and buttons (GUI thread; played at the audio thread's next sample) ---

  void playNote(int key, int velocity);
  void triggerEnvelopes(bool pressed);
  void setPortamento(bool pressed);

  // --- The patch library ---

  // Loads the library's current patch: held notes are released, the output fades out, the
  // patch is applied and the output fades back in. Waits for the fade (at most about 5 s;
  // not at all while no audio runs). GUI thread.
  void loadLibraryPatch();

  // The plug-in's patch lock, the one every patch change, getChunk and setChunk take: while
  // a hold lives, the editor alone reads and edits the library's tree, selection and
  // records. Taking it waits for a patch change another thread is applying (never for the
  // audio thread). GUI thread; never kept across idle calls.
  class PatchHold {
   public:
    explicit PatchHold(EditorInterface& editor);
    ~PatchHold();
    PatchHold(const PatchHold&) = delete;
    PatchHold& operator=(const PatchHold&) = delete;
    // The library; null when the plug-in has none (it is then silent).
    PatchLibrary* library() const;

   private:
    struct Held;
    std::unique_ptr<Held> held_;
  };

 private:
  Quorvane_VSTEdit& plugin_;
};
