// Displays driven by the plug-in's meter block: the level bars, the processing-load bar
// and the MIDI light. The canvas asks needsRedraw on every idle; the meter reads its value
// then and redraws only when the step it shows changes. GUI thread only.
#pragma once

#include "gui/cauguictrl.h"

class CAUGuiGraphic;

class CAUGuiMeter : public CAUGuiCtrl {
 public:
  // What a meter makes of its meter-block value.
  enum Mode : int {
    kRaw = 0,    // the value as read (the MIDI light)
    kLevel = 1,  // a block's sum of squares: its level
    kLoad = 2,   // a block's processing time: the share of the block's real time it took
  };

  // positions 0..maxPosition; image drawn by value over the background's first frame.
  CAUGuiMeter(CAUGuiCanvas* canvas, int meterIndex, const GuiRect& rect, int maxPosition, CAUGuiGraphic* image,
              CAUGuiGraphic* background, int mode);

  bool needsRedraw() const override;
  void draw(DrawContext& context, int flags) override;

  int meterIndex() const { return meterIndex_; }
  int mode() const { return mode_; }
  int reads() const { return reads_; }

 private:
  int meterIndex_;
  CAUGuiGraphic* image_;
  CAUGuiGraphic* background_;
  int mode_;
  mutable int reads_ = 0;
};

// The share 0..1 of a meter's bar for a reading: level meters 2.5 x the block's RMS (from
// its sum of squares and frame count), load meters the block's processing time over the
// real time its frames last (ticks at tickHz, frames at sampleRate), raw meters the value
// itself. A block of no frames, and any reading that is not a number, shows 0.
float meterShare(int mode, float value, float frames, double tickHz, double sampleRate);
