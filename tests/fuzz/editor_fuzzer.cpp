// The editor as a host and a user drive it: any sequence of mouse, key, text, menu and
// file-dialog answers, idles, host parameter changes, chunks and audio blocks (editor_input.h)
// played into the instrument's editor, open in a headless host window. The instance and its
// editor live for the whole run, as in a host; each input ends with the button released
// and an idle, so that one input's gesture does not run into the next.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "editor/quorvane_window.h"
#include "platform/headless.h"
#include "platform/headless_gui.h"
#include "platform/host_frame.h"
#include "plugin/entry_point.h"
#include "tests/fuzz/editor_input.h"
#include "tests/fuzz/fuzz_support.h"
#include "vst/aeffect.h"

namespace {

namespace ed = qvfuzz::editor;

constexpr int32_t kBlock = 256;

AEffect* gEffect = nullptr;
std::string gDataFolder;
std::unique_ptr<platform::HostFrame> gFrame;
std::vector<float> gBuffers[4];
constexpr int kMostQueued = 8;
int gQueued = 0;  // menu and file answers queued by this input
int gReopened = 0;  // the editor's reopenings in this input

// A host that gives its VST version and answers nothing else.
intptr_t VSTCALLBACK quietHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0) {
  return gEffect->dispatcher(gEffect, opcode, index, value, ptr, opt);
}

ParameterEditor* makeEditor(Quorvane_VSTEdit& plugin) {
  return new Quorvane_Window(plugin, Quorvane_Window::kInstrumentClass);
}

// Reads the input from the front; past its end every read gives zeros.
class Reader {
 public:
  Reader(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool done() const { return at_ >= size_; }
  unsigned byte() { return at_ < size_ ? data_[at_++] : 0; }
  unsigned word() {
    const unsigned lo = byte();
    return lo | (byte() << 8);
  }
  std::string bytes(std::size_t n) {
    n = std::min(n, size_ - std::min(at_, size_));
    std::string s(reinterpret_cast<const char*>(data_ + at_), n);
    at_ += n;
    return s;
  }

 private:
  const uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

platform::FrameInput mouseInput(platform::FrameInput::Kind kind, Reader& in) {
  platform::FrameInput e;
  e.kind = kind;
  // Points a little beyond the window too: a drag leaves it.
  e.point = {static_cast<int16_t>(static_cast<int>(in.word() % (ed::kWidth + 40)) - 20),
             static_cast<int16_t>(static_cast<int>(in.word() % (ed::kHeight + 40)) - 20)};
  const unsigned m = in.byte();
  e.modifiers = {(m & ed::kShift) != 0, (m & ed::kControl) != 0, (m & ed::kAlt) != 0};
  return e;
}

void idle() {
  dispatch(effEditIdle);
  gFrame->pump();
}

void audioBlock(unsigned key) {
  VstMidiEvent note{};
  note.type = kVstMidiType;
  note.byteSize = sizeof note;
  note.midiData[0] = static_cast<char>(key < 128 ? 0x90 : 0x80);
  note.midiData[1] = static_cast<char>(key & 0x7F);
  note.midiData[2] = static_cast<char>(key < 128 ? 100 : 0);
  VstEvents events{};
  events.numEvents = 1;
  events.events[0] = reinterpret_cast<VstEvent*>(&note);
  dispatch(effProcessEvents, 0, 0, &events);
  float* in[2] = {gBuffers[0].data(), gBuffers[1].data()};
  float* out[2] = {gBuffers[2].data(), gBuffers[3].data()};
  gEffect->processReplacing(gEffect, in, out, kBlock);
}

void play(Reader& in) {
  using Kind = platform::FrameInput::Kind;
  const unsigned op = in.byte() % ed::kOpCount;
  platform::FrameInput e;
  switch (op) {
    case ed::kMouseDown: gFrame->sendInput(mouseInput(Kind::MouseDown, in)); break;
    case ed::kMouseMove: gFrame->sendInput(mouseInput(Kind::MouseMove, in)); break;
    case ed::kMouseUp: gFrame->sendInput(mouseInput(Kind::MouseUp, in)); break;
    case ed::kKey: {
      e.kind = Kind::Key;
      e.code = static_cast<int>(in.byte());
      const unsigned m = in.byte();
      e.modifiers = {(m & ed::kShift) != 0, (m & ed::kControl) != 0, (m & ed::kAlt) != 0};
      gFrame->sendInput(e);
      break;
    }
    case ed::kText:
      e.kind = Kind::Text;
      e.text = in.bytes(in.byte());
      gFrame->sendInput(e);
      break;
    case ed::kMenu: {
      // Answers no menu takes stay queued for later inputs: a few per input at most.
      const int item = static_cast<int>(in.byte());
      if (++gQueued <= kMostQueued) platform::headless::queueMenuAnswer(item);
      break;
    }
    case ed::kFile: {
      const std::string name = in.bytes(in.byte());
      if (++gQueued > kMostQueued) break;
      // A name in the data folder, or a cancelled dialog.
      platform::headless::queueFileAnswer(name.empty() ? std::string() : gDataFolder + name);
      break;
    }
    case ed::kIdle:
      for (unsigned n = in.byte() % ed::kMostIdles + 1; n > 0; --n) idle();
      break;
    case ed::kParam: {
      const auto index = static_cast<int32_t>(in.word() % static_cast<unsigned>(gEffect->numParams));
      gEffect->setParameter(gEffect, index, static_cast<float>(in.word()) / 65535.0f);
      break;
    }
    case ed::kChunk: {
      std::string chunk = in.bytes(in.word());
      dispatch(effSetChunk, 1, static_cast<intptr_t>(chunk.size()), chunk.empty() ? nullptr : chunk.data());
      break;
    }
    case ed::kAudio: audioBlock(in.byte()); break;
    case ed::kReopen:
      // Building the panel is the slowest thing here: once per input.
      if (++gReopened > 1) break;
      dispatch(effEditClose);
      qvfuzz::require(gFrame->childWindowCount() == 0, "a closed editor leaves no window");
      qvfuzz::require(dispatch(effEditOpen, 0, 0, gFrame->parentHandle()) == 1, "the editor opens again");
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  gDataFolder = qvfuzz::useOwnDataFolder("editor");
  gEffect = createQuorvaneEffect(quietHost, kInstrumentIdentity, makeEditor);
  qvfuzz::require(gEffect != nullptr, "the entry point makes an instance");
  dispatch(effOpen);
  dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
  dispatch(effSetBlockSize, 0, kBlock);
  dispatch(effMainsChanged, 0, 1);
  for (auto& b : gBuffers) b.assign(kBlock, 0.0f);
  gFrame = platform::HostFrame::create("fuzz", ed::kWidth, ed::kHeight, {0, 0});
  qvfuzz::require(dispatch(effEditOpen, 0, 0, gFrame->parentHandle()) == 1, "the editor opens");
  idle();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  Reader in(data, size);
  gQueued = 0;
  gReopened = 0;
  while (!in.done()) play(in);
  platform::FrameInput release;
  release.kind = platform::FrameInput::Kind::MouseUp;
  gFrame->sendInput(release);
  idle();
  platform::headless::clearShown();
  platform::headless::clearShownMessages();
  return 0;
}
