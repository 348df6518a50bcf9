// The host's X error handler. X errors on the host's own connection are
// expected, not fatal: a window of the plug-in may be gone by the time the
// host reads its property or asks for its parent, and Xlib's default
// handler would end the process. The failing call reports the failure in
// its own result instead.
//
// Like a real host's handler it sees whatever errors no one else took, so
// it counts them: a plug-in that lets one of its own errors through to the
// host, or keeps one of the host's for itself, shows in the count. The
// host's own requests that may fail are left out (ExpectedXErrors).
#pragma once

#include <cstddef>

typedef struct _XDisplay Display;

namespace tarvenna::host {

// While a display is quieted, its errors are taken and counted; errors of
// other connections go to the handler that was installed before. Counted:
// as many Unquiet calls as Quiet calls restore it.
void QuietXErrors(Display* display);
void UnquietXErrors(Display* display);

// From now on the handler takes the errors of every connection of the
// process, as a host whose handler serves the whole process; it stays
// installed for the process's life.
void TakeAllXErrors();

// Errors the handler took (the expected ones left out): on `display` since
// it was last quieted, or, for null, on every connection since the start.
std::size_t XErrorsTaken(Display* display = nullptr);

// Marks the host's own requests made while it lives as ones that may fail
// because a window of the plug-in went meanwhile: their errors are dropped
// uncounted. It holds the display's lock, so that no other thread's request
// falls among them. Errors of requests without a reply must have arrived
// (XSync) before it ends.
class ExpectedXErrors {
public:
    explicit ExpectedXErrors(Display* display);
    ~ExpectedXErrors();

    ExpectedXErrors(const ExpectedXErrors&) = delete;
    ExpectedXErrors& operator=(const ExpectedXErrors&) = delete;

private:
    Display* display;
    bool nested = false;
};

}  // namespace tarvenna::host
