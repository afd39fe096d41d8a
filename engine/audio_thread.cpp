#include "engine/audio_thread.h"

namespace {
// A plain counter per thread: the mark nests and costs no atomic operation.
thread_local int tAudioDepth = 0;
}

bool onAudioThread() { return tAudioDepth > 0; }

AudioThreadScope::AudioThreadScope() { ++tAudioDepth; }

AudioThreadScope::~AudioThreadScope() { --tAudioDepth; }
