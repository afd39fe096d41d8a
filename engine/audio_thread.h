// Which thread is the engine's audio thread. The block process marks its thread for the
// duration of each block; engine calls made elsewhere hand their changes over through the
// voice's command queue instead of touching audio-thread state.
#pragma once

// True while the calling thread is inside an AudioThreadScope. Any thread.
bool onAudioThread();

// Marks the calling thread as the audio thread while the scope lives (nestable). Created by
// the block process at the top of each block, and by tests that drive the engine directly.
class AudioThreadScope {
 public:
  AudioThreadScope();
  ~AudioThreadScope();
  AudioThreadScope(const AudioThreadScope&) = delete;
  AudioThreadScope& operator=(const AudioThreadScope&) = delete;
};
