// A reader-writer spin lock for the process-wide tables. Senders read the
// tables from audio threads, often several at once, so readers share the
// lock and never sleep in the kernel: they only spin and yield while a
// writer is inside. Writers (joins, leaves, mode and port moves) are rare
// and hold it for a few stores; a waiting writer keeps new readers out so
// that a steady stream of senders cannot starve it.
//
// Not recursive in either mode: a thread that holds it must not take it
// again, or it can wait for a writer that waits for it.
#pragma once

#include <atomic>
#include <cstdint>

class SharedSpinLock {
public:
    constexpr SharedSpinLock() : state(0) {}
    SharedSpinLock(const SharedSpinLock&) = delete;
    SharedSpinLock& operator=(const SharedSpinLock&) = delete;

    void LockShared();
    void UnlockShared();
    void Lock();
    void Unlock();

    class ReadScope {
    public:
        explicit ReadScope(SharedSpinLock& lock) : lock(lock) { lock.LockShared(); }
        ~ReadScope() { lock.UnlockShared(); }
        ReadScope(const ReadScope&) = delete;
        ReadScope& operator=(const ReadScope&) = delete;

    private:
        SharedSpinLock& lock;
    };

    class WriteScope {
    public:
        explicit WriteScope(SharedSpinLock& lock) : lock(lock) { lock.Lock(); }
        ~WriteScope() { lock.Unlock(); }
        WriteScope(const WriteScope&) = delete;
        WriteScope& operator=(const WriteScope&) = delete;

    private:
        SharedSpinLock& lock;
    };

private:
    // The writer bit; the bits below it count the readers inside.
    static constexpr int32_t kWriter = 1 << 30;
    std::atomic<int32_t> state;
};
