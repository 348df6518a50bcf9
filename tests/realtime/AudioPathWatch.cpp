#include "tests/realtime/AudioPathWatch.h"

#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>

// The C library's own entry points, which the replacements forward to.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void __libc_free(void* block);
void* __libc_memalign(std::size_t alignment, std::size_t size);
}

namespace realtime {

namespace {

constexpr int kKinds = static_cast<int>(Call::Count);
const char* const kNames[kKinds] = {"malloc", "calloc",         "realloc",
                                    "free",   "posix_memalign", "pthread_mutex_lock"};

// Plain thread-locals with constant initial values: reading them needs no
// allocation and no lock, so the replacements can look at them first.
thread_local int watchDepth = 0;
thread_local int hostDepth = 0;

std::atomic<int> counts[kKinds];

using MutexLock = int (*)(pthread_mutex_t*);

// The C library's pthread_mutex_lock, found once; the lookup locks only
// the loader's own lock, which does not come back here.
MutexLock LibraryMutexLock()
{
    static std::atomic<MutexLock> found{nullptr};
    MutexLock lock = found.load(std::memory_order_acquire);
    if (lock == nullptr) {
        lock = reinterpret_cast<MutexLock>(dlsym(RTLD_NEXT, "pthread_mutex_lock"));
        found.store(lock, std::memory_order_release);
    }
    return lock;
}

void Note(Call call)
{
    if (watchDepth > 0 && hostDepth == 0)
        counts[static_cast<int>(call)].fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

AudioPathWatch::AudioPathWatch() { ++watchDepth; }
AudioPathWatch::~AudioPathWatch() { --watchDepth; }
HostSide::HostSide() { ++hostDepth; }
HostSide::~HostSide() { --hostDepth; }

int Counted(Call call) { return counts[static_cast<int>(call)].load(); }

int CountedTotal()
{
    int total = 0;
    for (const std::atomic<int>& count : counts)
        total += count.load();
    return total;
}

void Reset()
{
    for (std::atomic<int>& count : counts)
        count.store(0);
}

std::string Summary()
{
    std::string text;
    for (int i = 0; i < kKinds; ++i) {
        const int n = counts[i].load();
        if (n == 0)
            continue;
        if (!text.empty())
            text += ", ";
        text += std::string(kNames[i]) + " " + std::to_string(n);
    }
    return text.empty() ? "none" : text;
}

}  // namespace realtime

using realtime::Call;
using realtime::LibraryMutexLock;
using realtime::Note;

extern "C" {

__attribute__((visibility("default"))) void* malloc(std::size_t size) noexcept
{
    Note(Call::Malloc);
    return __libc_malloc(size);
}

__attribute__((visibility("default"))) void* calloc(std::size_t count, std::size_t size) noexcept
{
    Note(Call::Calloc);
    return __libc_calloc(count, size);
}

__attribute__((visibility("default"))) void* realloc(void* block, std::size_t size) noexcept
{
    Note(Call::Realloc);
    return __libc_realloc(block, size);
}

__attribute__((visibility("default"))) void free(void* block) noexcept
{
    Note(Call::Free);
    __libc_free(block);
}

__attribute__((visibility("default"))) int posix_memalign(void** block, std::size_t alignment,
                                                          std::size_t size) noexcept
{
    Note(Call::Memalign);
    void* taken = __libc_memalign(alignment, size);
    if (taken == nullptr)
        return ENOMEM;
    *block = taken;
    return 0;
}

__attribute__((visibility("default"))) void* aligned_alloc(std::size_t alignment,
                                                           std::size_t size) noexcept
{
    Note(Call::Memalign);
    return __libc_memalign(alignment, size);
}

__attribute__((visibility("default"))) int pthread_mutex_lock(pthread_mutex_t* mutex) noexcept
{
    Note(Call::MutexLock);
    return LibraryMutexLock()(mutex);
}

}  // extern "C"
