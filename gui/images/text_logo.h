// The product lettering shown at the top of the editor panel: an XPM image
// of 150 x 50 pixels, 206 colours, 2 characters per pixel, as an array of
// text lines for SDrawBitmap.
#pragma once

namespace kvor::images {

extern const char* const* const text_logo;

}  // namespace kvor::images
