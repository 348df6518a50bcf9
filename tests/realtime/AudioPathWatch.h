// Watches a thread for what an audio thread must never do: take memory
// from the heap or give it back, or lock a mutex (which may sleep in the
// kernel). The test program replaces malloc, calloc, realloc, free,
// posix_memalign, aligned_alloc and pthread_mutex_lock with versions that
// count the calls made on a watched thread and then do the real work; the
// module, loaded with dlopen, finds them before the C library's.
#pragma once

#include <string>

namespace realtime {

enum class Call { Malloc, Calloc, Realloc, Free, Memalign, MutexLock, Count };

// Counts what the current thread calls while it lives; nests.
class AudioPathWatch {
public:
    AudioPathWatch();
    ~AudioPathWatch();
    AudioPathWatch(const AudioPathWatch&) = delete;
    AudioPathWatch& operator=(const AudioPathWatch&) = delete;
};

// Inside a watch, leaves the calls of the current thread uncounted while it
// lives: the host's side of a request the plug-in makes (the host may lock
// and record as it likes; that is not the plug-in's audio path).
class HostSide {
public:
    HostSide();
    ~HostSide();
    HostSide(const HostSide&) = delete;
    HostSide& operator=(const HostSide&) = delete;
};

// Calls counted on every thread since the last Reset.
int Counted(Call call);
int CountedTotal();
void Reset();
// "malloc 3, pthread_mutex_lock 1" or "none".
std::string Summary();

}  // namespace realtime
