// The per-instance bundle that every toolkit control of one plug-in instance
// receives: identifiers, the instance's names, the host's window, the current
// cursor, a mutex and a random generator.
#pragma once

#include "runtime/SMutex.h"
#include "runtime/SRandom.h"
#include "runtime/datastring.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace kvor::gui {
class SCursor;
}

class SGlobals {
public:
    SGlobals();
    SGlobals(const SGlobals&) = delete;
    SGlobals& operator=(const SGlobals&) = delete;

    // Fills binaryName and binaryDirectory from the full path that
    // pathSource points at; does nothing when there is none.
    void SetBinaryData();

    // Controls and timers draw their identifiers from here; several threads
    // create controls, so it only ever changes atomically.
    std::atomic<int32_t> identifierCounter{0};
    kvor::data::datastring<32, char> binaryName;
    kvor::data::datastring<32, char> binaryDirectory;
    uint32_t reserved1 = 0;
    const char** pathSource = nullptr;
    // The host's window while the editor is open, else 0 (an X window id).
    // Read by the event procedure while the host's thread opens and closes.
    std::atomic<unsigned long> parentWindow{0};
    uint32_t reserved2 = 0;
    // The editor's default cursor while it is open; not owned here. Read and
    // changed only under `mutex`: events use it while the editor replaces it.
    kvor::gui::SCursor* currentCursor = nullptr;
    // The reference that keeps currentCursor alive: the event procedure
    // copies it under `mutex` and uses the cursor after letting go of the
    // mutex, so that no X call is ever made under it.
    std::shared_ptr<kvor::gui::SCursor> cursorHold;
    kvor::threading::SMutexOS mutex;
    kvor::math::random::generator::SRandomMarsaglia randomGenerator;
};
