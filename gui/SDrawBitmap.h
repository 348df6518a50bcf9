// An off-screen picture on the X server: a pixmap of the default screen's
// depth, either blank or read from XPM text.
#pragma once

#include "gui/SConnection.h"

#include <cstdint>

typedef struct _XDisplay Display;

namespace kvor::gui::context {

class SDrawBitmap {
public:
    // An empty bitmap without a pixmap.
    SDrawBitmap();
    // Create(xpm, w, h, flag).
    SDrawBitmap(const void* xpm, int w, int h, bool flag);
    virtual ~SDrawBitmap();

    SDrawBitmap(const SDrawBitmap&) = delete;
    SDrawBitmap& operator=(const SDrawBitmap&) = delete;

    // Does nothing when a pixmap exists. Without data: a blank w x h pixmap.
    // With data (an XPM image as an array of text lines): the image, and the
    // size becomes the image's; when the data cannot be read the bitmap is
    // left 1 x 1 without a pixmap.
    void Create(const void* xpm, int w, int h, bool flag);

    virtual bool Use() const { return false; }
    int Width() const { return pixmap != 0 ? width : 0; }
    int Height() const { return pixmap != 0 ? height : 0; }
    unsigned long GetPixmap() const { return pixmap; }

protected:
    int32_t width;
    int32_t height;
    uint8_t flag;
    unsigned long pixmap;

private:
    void CreateBlank(int w, int h);
    void CreateFromXpm(const void* xpm);

    // The connection the pixmap was made on, and is freed on while open.
    Display* display;
    ConnectionRef connection;
};

// A bitmap with a mask word and a use flag; the mask carries no behaviour.
class SDrawBitmapMask : public SDrawBitmap {
public:
    SDrawBitmapMask(const unsigned char* xpm, int w, int h);

    bool Use() const override { return use != 0; }
    // Stores the word and clears the use flag; the bitmap is not kept.
    void SetMask(SDrawBitmap* bitmap, int mask);
    int32_t Mask() const { return mask; }

private:
    int32_t mask;
    uint8_t use;
};

}  // namespace kvor::gui::context
