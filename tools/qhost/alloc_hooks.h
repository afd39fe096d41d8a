// Watches the calls a plug-in must not make on the audio thread: heap allocation, mutex
// locks and file opening. The native build interposes malloc and its kin,
// pthread_mutex_lock, open and fopen in qhost itself (the plug-in resolves them through the
// process); under a sanitizer, which owns malloc, allocations are seen through the
// sanitizer's malloc hooks instead. The Windows build watches nothing.
#pragma once

#include <string>

namespace qhost {

struct RealtimeCounts {
  long allocations = 0;
  long locks = 0;
  long files = 0;
};

// False with the reason when this build cannot watch.
bool realtimeWatchAvailable(std::string& why);
// Starts or stops counting the watched calls made on the calling thread.
void armRealtimeWatch(bool on);
// What the calling thread made while armed since the last reset.
RealtimeCounts realtimeCounts();
void resetRealtimeCounts();

}  // namespace qhost
