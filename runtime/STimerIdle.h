// A control's idle timer and the process-wide idle thread.
//
// One idle thread serves the whole process: every period it calls each
// registered idle function in turn. Editors register one entry each while
// open. The list is shared between the idle thread and the threads that add
// and remove entries; it is guarded by a lock that is not held during the
// calls, and removing an entry waits until a call of that entry in progress
// has returned, so that nothing is called after its owner was told it is
// gone.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kvor::threading {

class STimerTarget;

class STimerIdle {
public:
    using Function = void (*)(void*);

    // Starts the idle thread, with this timer's period, unless it runs.
    STimerIdle(STimerTarget* target, int identifier, int periodMs, bool flag);
    STimerIdle(const STimerIdle&) = delete;
    STimerIdle& operator=(const STimerIdle&) = delete;
    // Removes this timer's entry; stops the idle thread when none is left.
    ~STimerIdle();

    // Stores the function (the idle thread calls the function that this
    // cell holds) and its argument.
    void SetFunction(Function* function, void* argument);
    // Adds the stored pair to the idle list unless it is there, and starts
    // the idle thread if it does not run.
    void AddEntry();
    // Removes the stored pair from the idle list, keeping the order of the
    // rest; stops the idle thread when the list becomes empty.
    void RemoveEntry();

    STimerTarget* Target() const { return target; }
    Function* GetFunction() const { return function; }
    void* GetArgument() const { return argument; }
    int Identifier() const { return identifier; }
    int Period() const { return periodMs; }
    bool Flag() const { return flag; }

    static bool IdleThreadRunning();
    static size_t EntryCount();
    // Whether the caller is the idle thread.
    static bool OnIdleThread();

private:
    STimerTarget* target;
    Function* function = nullptr;
    void* argument = nullptr;
    int32_t identifier;
    int32_t periodMs;
    bool flag;
};

}  // namespace kvor::threading
