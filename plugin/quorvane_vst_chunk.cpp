// The host's chunk: the session patch as patch text, handed out and taken back.
#include <cstring>
#include <string_view>

#include "library/patch_library.h"
#include "plugin/patch_work.h"

namespace {

// A whole patch text ends with its notes record; a text cut short lacks it.
bool holdsNotesRecord(std::string_view text) {
  return text.rfind("7 : PatchNotes = ", 0) == 0 ||
         text.find("\n7 : PatchNotes = ") != std::string_view::npos;
}

}  // namespace

void Quorvane_VST::keepCompleteChunk() {
  if (!library_) return;
  Patch& s = library_->sessionPatch;
  collectPatch(s);
  {
    std::lock_guard<std::mutex> lock(textMutex_);
    s.name = patchName_;
    s.author = patchAuthor_;
    s.date = patchDate_;
    s.notes = patchNotes_;
  }
  if (const Patch* current = library_->currentPatch()) {
    s.programSlot = current->programSlot;
    s.showNotes = current->showNotes;
  }
  std::string text = s.writeText();
  std::lock_guard<std::mutex> lock(textMutex_);
  completeChunk_ = std::move(text);
}

int32_t Quorvane_VST::getChunk(void** data, bool) {
  if (data == nullptr) return 0;
  *data = nullptr;
  {
    // While a patch change is under way the state before it is handed out.
    PatchWork work(*this, true);
    if (work.held()) keepCompleteChunk();
  }
  std::lock_guard<std::mutex> lock(textMutex_);
  chunkBuffer_.assign(completeChunk_.begin(), completeChunk_.end());
  chunkBuffer_.push_back('\0');
  *data = chunkBuffer_.data();
  return static_cast<int32_t>(completeChunk_.size());
}

int32_t Quorvane_VST::setChunk(void* data, int32_t byteSize, bool) {
  if (data == nullptr || byteSize <= 0 || !library_) return 0;
  // The host's bytes are its own and need not be terminated: read from a private copy.
  const std::string text(static_cast<const char*>(data), static_cast<std::size_t>(byteSize));
  Patch parsed;
  parsed.readText(text.c_str(), text.size());
  bool known = false;
  for (const PatchParam& p : parsed.params)
    known = known || findParameterKey(static_cast<int32_t>(p.key)) > 0;
  if (!known || !holdsNotesRecord(std::string_view(text.c_str()))) return 0;  // no patch: nothing changes
  {
    PatchWork work(*this, false);
    Patch& session = library_->sessionPatch;
    session.readText(text.c_str(), text.size());
  }
  changePatch(kChangeSessionPatch, false);
  return 0;
}
