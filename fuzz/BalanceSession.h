// What the host of a balance scenario did, as the checks of its nodes need
// it to tell a note the relay ended too early from one that was released:
// a clock that counts the host's actions, every note event the host fed a
// node, and when the last release (a move, a switch-off, a Panic, a load, a
// close) happened. Each fed event carries a tag, its number here, in the
// field noteOffset, which the relay passes on as it is; the note-offs the
// relay makes itself carry none.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

namespace balance {

class SessionLog {
public:
    struct Fed {
        uint64_t time = 0;
        int node = -1;
        // When the fed node last ran before: its own note belongs to a
        // block that began then, and a release since may come before it.
        uint64_t nodeRanBefore = 0;
        // For a note-off, the tag of the note-on it ends on its track (0
        // when the key was not down).
        int32_t endsTag = 0;
    };

    // Forgets everything; the clock goes on.
    void Reset();
    // The host's next action begins.
    void Tick();
    // The tag of a note event the host feeds `node` now; a note-off's
    // `endsTag` is that of the note-on it ends.
    int32_t Feed(int node, int32_t endsTag = 0);
    // `node` runs a block now.
    void Ran(int node);
    // A release runs between the two (on any thread).
    void ReleaseBegins();
    void ReleaseEnds();

    // False for a tag the log does not know.
    bool Find(int32_t tag, Fed& fed) const;
    // Whether a release ran (or runs) at `time` or after.
    bool ReleasedSince(uint64_t time) const;

private:
    mutable std::mutex mutex;  // guards everything below
    uint64_t clock = 1;
    uint64_t lastRelease = 0;
    int releasesRunning = 0;
    std::vector<Fed> fed;           // tag - 1
    std::vector<uint64_t> lastRun;  // by node
};

}  // namespace balance
