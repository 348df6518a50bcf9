// A client-side picture: the caller's pixel buffer wrapped in an XImage of
// the default visual, ready to be put on a drawable with SDrawing::DrawImage.
#pragma once

#include <cstddef>
#include <cstdint>

typedef struct _XDisplay Display;
struct _XImage;

namespace kvor::gui::context {

class SDrawImage {
public:
    // Takes ownership of buffer, which must come from malloc and hold at
    // least w x h x (bitsPerPixel / 8) bytes; they are cleared. A width or
    // height below 1 becomes 1. There is no image, and the buffer is only
    // kept to be freed, without a display, when X refuses the layout, or
    // when the layout does not match the screen (bitsPerPixel must be the
    // screen's pixel size, 32 on the usual 24-bit screens) or would need
    // more than those bytes.
    SDrawImage(void* buffer, int w, int h, int bytesPerLine, int bitsPerPixel);
    ~SDrawImage();

    SDrawImage(const SDrawImage&) = delete;
    SDrawImage& operator=(const SDrawImage&) = delete;

    _XImage* GetImage() const { return image; }
    void* GetBuffer() const { return buffer; }

    int32_t width;
    int32_t height;

private:
    bool FitsBuffer(int bitsPerPixel, std::size_t bytes) const;
    void Release();

    _XImage* image;
    void* buffer;
};

}  // namespace kvor::gui::context
