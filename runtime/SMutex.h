#pragma once

#include <pthread.h>

#include <atomic>
#include <cstdint>

namespace kvor::threading {

class SMutexBase {
public:
    SMutexBase() = default;
    SMutexBase(const SMutexBase&) = delete;
    SMutexBase& operator=(const SMutexBase&) = delete;
    virtual ~SMutexBase() = default;
    virtual int Lock() = 0;
    virtual int Unlock() = 0;
};

// A plain POSIX mutex with default attributes: not recursive, so locking it
// twice from one thread deadlocks. Lock and Unlock return the POSIX result.
class SMutexOS : public SMutexBase {
public:
    SMutexOS();
    ~SMutexOS() override;
    int Lock() override;
    int Unlock() override;

    bool IsLocked() const { return locked.load(std::memory_order_relaxed) != 0; }
    bool IsValid() const { return valid != 0; }

private:
    pthread_mutex_t mutex;
    std::atomic<uint8_t> locked{0};
    uint8_t valid = 0;
};

// A spin lock for the audio thread: it never sleeps in the kernel, it only
// yields while another holder is inside. It has no owner (any thread may
// unlock it) and is not recursive. Unlocking a free lock does nothing, so a
// stray Unlock cannot let two holders in later. It allocates nothing.
class SMutexID : public SMutexBase {
public:
    SMutexID() = default;
    ~SMutexID() override;
    int Lock() override;
    int Unlock() override;

    int32_t Counter() const { return counter.load(); }
    bool IsLocked() const { return locked.load(std::memory_order_relaxed) != 0; }

private:
    std::atomic<int32_t> counter{0};
    std::atomic<uint8_t> locked{0};
};

}  // namespace kvor::threading
