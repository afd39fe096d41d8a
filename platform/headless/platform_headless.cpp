// Linux stand-in for the Windows services: resources from the embedded arrays, message
// boxes recorded and answered from a script, the data folder from the environment.
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/headless.h"
#include "platform/platform.h"

namespace platform::detail {
struct EmbeddedResource {
  const char* name;
  const char* type;
  const unsigned char* data;
  std::size_t size;
};
extern const EmbeddedResource kEmbeddedResources[];
}  // namespace platform::detail

namespace platform {
namespace {

std::mutex gMutex;
std::deque<MessageAnswer> gAnswers;
std::vector<headless::ShownMessage> gShown;
int gBeeps = 0;

// Resources a test added; looked up before the embedded ones. A deque keeps their bytes in
// place while more are added.
struct AddedResource {
  std::string name;
  std::string type;
  std::vector<unsigned char> bytes;
};
std::deque<AddedResource> gAddedResources;

}  // namespace

std::string dataFolder() {
  std::string folder;
  if (const char* env = std::getenv("QUORVANE_DATA_DIR"); env && *env) {
    folder = env;
  } else {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
      folder = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
      folder = std::string(home) + "/.local/share";
    else
      folder = "/tmp";
    folder += "/Halvorsk/Quorvane 3970";
  }
  if (folder.back() != '/') folder.push_back('/');
  return folder;
}

char pathSeparator() { return '/'; }

bool findResource(const char* name, const char* type, Resource& out) {
  if (!name || !type) return false;
  {
    std::lock_guard<std::mutex> lock(gMutex);
    for (const AddedResource& r : gAddedResources) {
      if (strcasecmp(r.name.c_str(), name) == 0 && strcasecmp(r.type.c_str(), type) == 0) {
        out.data = r.bytes.data();
        out.size = r.bytes.size();
        return true;
      }
    }
  }
  for (const detail::EmbeddedResource* r = detail::kEmbeddedResources; r->name; ++r) {
    if (strcasecmp(r->name, name) == 0 && strcasecmp(r->type, type) == 0) {
      out.data = r->data;
      out.size = r->size;
      return true;
    }
  }
  return false;
}

MessageAnswer messageBox(void*, const std::string& text, const std::string& caption,
                         MessageButtons buttons) {
  std::lock_guard<std::mutex> lock(gMutex);
  gShown.push_back({text, caption, buttons});
  if (gAnswers.empty() || buttons == MessageButtons::Ok) {
    if (!gAnswers.empty()) gAnswers.pop_front();
    return MessageAnswer::Ok;
  }
  const MessageAnswer answer = gAnswers.front();
  gAnswers.pop_front();
  return answer;
}

bool makeDirectory(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) == 0) return true;
  return errno == EEXIST && isDirectory(path);
}

bool isDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

namespace {
// Renames left before the injected failures start; -1 when none are injected.
std::atomic<int> gRenamesBeforeFailure{-1};
}  // namespace

bool renameReplacing(const std::string& from, const std::string& to) {
  int left = gRenamesBeforeFailure.load();
  while (left >= 0) {
    if (left == 0) return false;
    if (gRenamesBeforeFailure.compare_exchange_weak(left, left - 1)) break;
  }
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool removeFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

double monotonicSeconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void sleepMilliseconds(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void beep(int, int) {
  std::lock_guard<std::mutex> lock(gMutex);
  ++gBeeps;
}

namespace headless {

void failRenamesAfter(int renames) { gRenamesBeforeFailure.store(renames < 0 ? -1 : renames); }

void scriptMessageAnswers(std::vector<MessageAnswer> answers) {
  std::lock_guard<std::mutex> lock(gMutex);
  gAnswers.assign(answers.begin(), answers.end());
}

std::vector<ShownMessage> shownMessages() {
  std::lock_guard<std::mutex> lock(gMutex);
  return gShown;
}

void clearShownMessages() {
  std::lock_guard<std::mutex> lock(gMutex);
  gShown.clear();
}

int beepCount() {
  std::lock_guard<std::mutex> lock(gMutex);
  return gBeeps;
}

void clearBeeps() {
  std::lock_guard<std::mutex> lock(gMutex);
  gBeeps = 0;
}

void addResource(const std::string& name, const std::string& type, std::vector<unsigned char> bytes) {
  std::lock_guard<std::mutex> lock(gMutex);
  gAddedResources.push_back({name, type, std::move(bytes)});
}

}  // namespace headless
}  // namespace platform
