// The host's other threads, busy while a test drives an editor on its own:
// audio threads processing instances with MIDI, and a thread of the host
// whose X requests fail on a connection of its own. Run them with
// StressThreads (or RunFor).
#pragma once

#include <atomic>
#include <cstddef>
#include <string>

#include "host/testing/Stress.h"
#include "plugin/VstRecords.h"

namespace tarvenna::host {

class HostInstance;

// An audio thread: `instance` processed block after block of `frames`,
// each with a note that starts and ends in it, at about the pace of real
// time. Allocates nothing once running. The instance must outlive the job.
StressJob PlayNotes(HostInstance& instance, VstInt32 frames = 64);

// What a thread of failing requests did.
struct FailedXRequests {
    // Requests made that failed, one error each.
    std::atomic<std::size_t> made{0};
    // Errors the host's handler took on the thread's connection, counted
    // when the job ends.
    std::atomic<std::size_t> taken{0};
    std::atomic<bool> connected{false};
};

// A thread of the host that asks after and maps a window that is gone, on
// a connection of its own to `displayName` with the host's handler in force
// for it: the errors are the host's own, and every one must reach its
// handler whatever a plug-in does with the handler meanwhile. `tally` must
// outlive the job.
StressJob FailXRequests(const std::string& displayName, FailedXRequests& tally);

}  // namespace tarvenna::host
