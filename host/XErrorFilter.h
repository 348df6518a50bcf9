// X errors on the host's own connection are expected, not fatal: a window
// of the plug-in may be gone by the time the host reads its property or
// asks for its parent, and Xlib's default handler would end the process.
// The failing call reports the failure in its own result instead.
#pragma once

typedef struct _XDisplay Display;

namespace tarvenna::host {

// While a display is quieted, its errors are dropped; errors of other
// connections go to the handler that was installed before. Counted: as
// many Unquiet calls as Quiet calls restore it.
void QuietXErrors(Display* display);
void UnquietXErrors(Display* display);

}  // namespace tarvenna::host
