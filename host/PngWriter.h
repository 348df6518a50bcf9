// PNG files of 8-bit RGB images, encoded by libpng (its simplified
// interface, which reports failures in its result rather than through a
// long jump across our frames).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarvenna::host {

struct RgbImage {
    int width = 0;
    int height = 0;
    // Rows top to bottom, three bytes (red, green, blue) per pixel, no
    // padding: width * height * 3 bytes.
    std::vector<std::uint8_t> pixels;

    bool Valid() const;
};

// The whole file; empty when the image is not Valid() or libpng refuses.
std::vector<std::uint8_t> EncodePng(const RgbImage& image);
// False when the image is not valid or the file cannot be written.
bool WritePng(const std::string& path, const RgbImage& image);

// The checksums of the format, from zlib, for checking files: CRC-32 as in
// PNG chunks (continued from `crc` when data comes in pieces) and the
// Adler-32 that ends a zlib stream.
std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0);
std::uint32_t Adler32(const std::uint8_t* data, std::size_t size);

}  // namespace tarvenna::host
