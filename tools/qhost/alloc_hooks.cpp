// Interposed allocation, lock and file calls of the native qhost. Each wrapper notes the
// call on the calling thread when that thread is armed and forwards to the C library.
// Apart from stdio, no system header that declares these functions is included, so that
// the definitions need not repeat the library's exception specifications.
#include "alloc_hooks.h"

#if defined(__linux__)

#include <dlfcn.h>

#include <cstdarg>
#include <cstddef>
#include <cstdio>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define QHOST_SANITIZER_OWNS_MALLOC 1
#endif

namespace {

thread_local bool tArmed = false;
thread_local long tAllocations = 0;
thread_local long tLocks = 0;
thread_local long tFiles = 0;

template <typename F>
F nextSymbol(F& cached, const char* name) {
  if (!cached) cached = reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
  return cached;
}

}  // namespace

extern "C" {

#if defined(QHOST_SANITIZER_OWNS_MALLOC)

int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*, size_t),
                                              void (*freeHook)(const volatile void*));

static void noteAllocation(const volatile void*, size_t) {
  if (tArmed) ++tAllocations;
}

static void ignoreFree(const volatile void*) {}

#else

void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* p);

void* malloc(size_t size) {
  if (tArmed) ++tAllocations;
  return __libc_malloc(size);
}

void* calloc(size_t count, size_t size) {
  if (tArmed) ++tAllocations;
  return __libc_calloc(count, size);
}

void* realloc(void* p, size_t size) {
  if (tArmed) ++tAllocations;
  return __libc_realloc(p, size);
}

void free(void* p) { __libc_free(p); }

void* memalign(size_t alignment, size_t size) {
  if (tArmed) ++tAllocations;
  return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size) {
  if (tArmed) ++tAllocations;
  return __libc_memalign(alignment, size);
}

int posix_memalign(void** out, size_t alignment, size_t size) {
  if (tArmed) ++tAllocations;
  if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) return 22;  // EINVAL
  void* p = __libc_memalign(alignment, size);
  if (!p) return 12;  // ENOMEM
  *out = p;
  return 0;
}

#endif

using LockFn = int (*)(void*);
using OpenFn = int (*)(const char*, int, ...);
using OpenAtFn = int (*)(int, const char*, int, ...);
using FopenFn = FILE* (*)(const char*, const char*);

static LockFn gLock;
static OpenFn gOpen, gOpen64;
static OpenAtFn gOpenAt;
static FopenFn gFopen, gFopen64;

int pthread_mutex_lock(void* mutex) {
  if (tArmed) ++tLocks;
  return nextSymbol(gLock, "pthread_mutex_lock")(mutex);
}

// open's third argument exists only when the flags create a file; reading it always is
// what the C library itself does.
int open(const char* path, int flags, ...) {
  if (tArmed) ++tFiles;
  va_list args;
  va_start(args, flags);
  const int mode = va_arg(args, int);
  va_end(args);
  return nextSymbol(gOpen, "open")(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
  if (tArmed) ++tFiles;
  va_list args;
  va_start(args, flags);
  const int mode = va_arg(args, int);
  va_end(args);
  return nextSymbol(gOpen64, "open64")(path, flags, mode);
}

int openat(int dir, const char* path, int flags, ...) {
  if (tArmed) ++tFiles;
  va_list args;
  va_start(args, flags);
  const int mode = va_arg(args, int);
  va_end(args);
  return nextSymbol(gOpenAt, "openat")(dir, path, flags, mode);
}

FILE* fopen(const char* __restrict path, const char* __restrict mode) {
  if (tArmed) ++tFiles;
  return nextSymbol(gFopen, "fopen")(path, mode);
}

FILE* fopen64(const char* __restrict path, const char* __restrict mode) {
  if (tArmed) ++tFiles;
  return nextSymbol(gFopen64, "fopen64")(path, mode);
}

}  // extern "C"

namespace qhost {

bool realtimeWatchAvailable([[maybe_unused]] std::string& why) {
#if defined(QHOST_SANITIZER_OWNS_MALLOC)
  static const bool installed = __sanitizer_install_malloc_and_free_hooks(noteAllocation, ignoreFree) != 0;
  if (!installed) why = "the sanitizer refused the allocation hooks";
  return installed;
#else
  return true;
#endif
}

void armRealtimeWatch(bool on) { tArmed = on; }

RealtimeCounts realtimeCounts() { return {tAllocations, tLocks, tFiles}; }

void resetRealtimeCounts() { tAllocations = tLocks = tFiles = 0; }

}  // namespace qhost

#else

namespace qhost {

bool realtimeWatchAvailable(std::string& why) {
  why = "this build of qhost does not interpose allocation, lock and file calls";
  return false;
}

void armRealtimeWatch(bool) {}

RealtimeCounts realtimeCounts() { return {}; }

void resetRealtimeCounts() {}

}  // namespace qhost

#endif
