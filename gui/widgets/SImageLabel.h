// A window that shows one image, loaded once into an off-screen bitmap and
// copied onto the window at every repaint, and reports clicks on it as
// value events (code 3: 1 left, 3 right, 2 middle).
#pragma once

#include "gui/SWindow.h"

namespace kvor::gui {

namespace context {
class SDrawBitmap;
class SDrawMemoryDevice;
}  // namespace context

class SImageLabel : public SWindow {
public:
    SImageLabel(SGlobals* globals, SControl* parent, int id, const char* name, int flags, int x,
                int y, int w, int h, int parentWindow);
    // The device goes before the bitmap it draws on.
    ~SImageLabel() override;

    // Replaces the image by an XPM image (an array of text lines); an image
    // that cannot be read leaves a bitmap that shows nothing.
    virtual void LoadBackground(void* xpm, int w, int h);

    // Copies the image's top-left part of the label's size; nothing else.
    void Draw(const Rect& area) override;
    void MouseStateChanged(bool* flags, int index) override;

    context::SDrawBitmap* Bitmap() const { return bitmap; }
    context::SDrawMemoryDevice* Device() const { return device; }

private:
    void DeleteImage();

    context::SDrawBitmap* bitmap = nullptr;
    context::SDrawMemoryDevice* device = nullptr;
};

}  // namespace kvor::gui
