// Toolkit events: the record one control sends to the controls that listen
// to it, the event codes, and the per-control table of listener lists.
#pragma once

#include <cstdint>
#include <ctime>
#include <vector>

namespace kvor::threading {
class SMutexID;
}

namespace kvor::gui {

class SControl;

// Event codes double as indices into a control's listener lists.
enum SEventCode : int32_t {
    kEventValueChanged = 3,
    kEventOptionChanged = 7,
    kEventTimerTick = 9,
    kEventListing = 10,
    kEventKeyShortcut = 11,
    kEventCodeCount = 13,
};

// What the data and value fields of a record carry.
enum SEventKind : int32_t {
    kEventKindValue = 1,
    kEventKindRecord = 4,
};

// Header-only, like the listener table: the runtime's timers send these
// without linking the toolkit.
struct SEvent {
    SEvent()
        : time(static_cast<int32_t>(clock())),
          code(-1),
          kind(0),
          value(0),
          real(0.0f),
          sender(nullptr),
          lock(nullptr),
          data(nullptr)
    {
    }

    int32_t time;
    int32_t code;
    int32_t kind;
    int32_t value;
    float real;
    SControl* sender;
    // When set, the sender holds it around each listener call.
    kvor::threading::SMutexID* lock;
    // Owned by the sender; valid only during the listener call.
    void* data;
};

// The payload of a key-shortcut event (code 11).
struct SKeyShortcutRecord {
    int32_t reserved;
    int32_t keySymbol;
    int32_t modifiers;
};

// One listener list: registration order, no duplicates.
class SEventHandler {
public:
    int Add(SControl* listener);
    void Remove(SControl* listener);
    const std::vector<SControl*>& Listeners() const { return listeners; }

    bool enabled = false;

private:
    std::vector<SControl*> listeners;
    [[maybe_unused]] int32_t reserved = -1;
};

class SEventManager {
public:
    // Null for codes that have no list.
    SEventHandler* Handler(int code)
    {
        return code >= 0 && code < kEventCodeCount ? &handlers[code] : nullptr;
    }
    const SEventHandler* Handler(int code) const
    {
        return code >= 0 && code < kEventCodeCount ? &handlers[code] : nullptr;
    }

private:
    SEventHandler handlers[kEventCodeCount];
};

// Toolkit entry points kept for callers that synthesise input; they have
// never done anything.
void SendKey(int window, char key, bool pressed);
void SendText(int window, char* text);
void SendMouse(int window, int x, int y, int button, int state);
const char* SWindowEventType(int type);

}  // namespace kvor::gui
