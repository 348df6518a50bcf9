// The toolkit's info box: one process-wide message box that shows a text
// under a title and returns as soon as it is shown.
#pragma once

namespace kvor::gui {

class SMessageDialog;

// Lays the box out for the texts, centres it on its monitor and shows it.
// Safe to call from several threads at once: the calls take turns, and the
// box shows the text of the last one. The text is also written to standard
// error, so that it reaches the user even where no box can be shown.
void SInfo(const char* text, const char* title);

// The box SInfo shows, or null before the first call (for tests).
SMessageDialog* SInfoDialog();

}  // namespace kvor::gui
