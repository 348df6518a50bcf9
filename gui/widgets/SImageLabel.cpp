#include "gui/widgets/SImageLabel.h"

#include "gui/widgets/ClickValue.h"
#include "gui/SDrawBitmap.h"
#include "gui/SDrawDevice.h"
#include "gui/SDrawing.h"

namespace kvor::gui {

SImageLabel::SImageLabel(SGlobals* globals, SControl* parent, int id, const char* name, int flags,
                         int x, int y, int w, int h, int parentWindow)
    : SWindow(globals, parent, static_cast<unsigned>(id), name, flags, x, y, w, h, parentWindow,
              false)
{
}

SImageLabel::~SImageLabel() { DeleteImage(); }

void SImageLabel::DeleteImage()
{
    delete device;
    device = nullptr;
    delete bitmap;
    bitmap = nullptr;
}

void SImageLabel::LoadBackground(void* xpm, int w, int h)
{
    DeleteImage();
    bitmap = new context::SDrawBitmap(xpm, w, h, false);
    device =
        new context::SDrawMemoryDevice(drawing != nullptr ? drawing->GetDevice() : nullptr, bitmap);
}

void SImageLabel::Draw(const Rect&)
{
    if (drawing == nullptr || device == nullptr)
        return;
    drawing->DrawMemory(device, Point{0, 0}, Rect{0, 0, client.Width(), client.Height()});
}

void SImageLabel::MouseStateChanged(bool* flags, int index)
{
    SWindow::MouseStateChanged(flags, index);
    const int value = ClickValue(index);
    if (value == 0)
        return;
    SendEvent(kEventValueChanged, kEventKindValue, value, 0.0f, nullptr, this, nullptr);
}

}  // namespace kvor::gui
