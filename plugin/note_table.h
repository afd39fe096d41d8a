// The keyboard's tuning: per MIDI key an equal-tempered reference frequency, the tuned
// frequency and the control voltage a key gives the keyboard CV modules (1 V per octave,
// 0 V at 10 Hz). Starts in equal temperament; a microtuning file (a bulk tuning dump of 408
// raw bytes) retunes the keys it names, over whatever tuning was loaded before.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class NoteTable {
 public:
  static constexpr int kKeyCount = 128;
  // The size of a bulk tuning dump: six header bytes, a 16-byte name, 128 triples, the
  // checksum and the closing byte.
  static constexpr std::size_t kDumpSize = 408;

  // Built in equal temperament.
  NoteTable();
  NoteTable(const NoteTable&) = delete;
  NoteTable& operator=(const NoteTable&) = delete;

  // Sets every key to equal temperament, 13.75 x 2^((key - 9) / 12) Hz (key 69 at 440 Hz),
  // and its control voltage to log2(f / 10). Start-up, or the GUI thread to undo every
  // tuning loaded.
  void build();

  // Retunes from a bulk tuning dump held in memory. The dump is checked whole first: exactly
  // kDumpSize bytes, framed F0 7E <device> 08 01 ... F7, and every triple either 7F 7F 7F
  // (key unchanged) or a base key 0..127 followed by a 14-bit fraction of a semitone (bytes
  // taken to 7 bits). Anything else is refused and the tuning stays as it was; false then.
  // GUI thread; the audio thread may read keyCv meanwhile.
  bool applyTuningDump(const unsigned char* bytes, std::size_t length);

  // Reads the data folder's "Tunings/<number>.tun" and applies it as above. False, and
  // nothing changed, when the file does not open or is refused. GUI thread.
  bool loadTuning(long number);

  // The control voltage of key 0..127 (a key outside is clamped). Any thread, including the
  // audio thread: one atomic read.
  float keyCv(int key) const { return keyCv_[clampKey(key)].load(std::memory_order_relaxed); }
  // The tuned frequency of key 0..127 in Hz. Any thread.
  float currentFrequency(int key) const {
    return currentFrequency_[clampKey(key)].load(std::memory_order_relaxed);
  }
  // The equal-tempered frequency of key 0..127 in Hz. Any thread.
  float referenceFrequency(int key) const { return referenceFrequency_[clampKey(key)]; }

 private:
  static int clampKey(int key) { return key < 0 ? 0 : (key >= kKeyCount ? kKeyCount - 1 : key); }
  void setKey(int key, float frequency);

  // Computed once by the constructor.
  float referenceFrequency_[kKeyCount] = {};
  std::atomic<float> currentFrequency_[kKeyCount] = {};
  std::atomic<float> keyCv_[kKeyCount] = {};
};

// The data folder's tuning file "Tunings/<number>.tun", with the platform's separator.
std::string tuningFilePath(long number);
// The names of the tuning files 0.tun, 1.tun, ... up to the first that does not open: each
// the dump's name field cut to 15 characters (up to a zero byte, as far as the file holds
// it); a file without a name is listed by its file name. GUI thread.
std::vector<std::string> tuningNames();
