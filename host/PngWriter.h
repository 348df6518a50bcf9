// PNG files of 8-bit RGB images, written without a compression library:
// the image data goes into stored (uncompressed) deflate blocks, which every
// PNG reader accepts. Screenshots of a small editor stay small enough.
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

// The whole file; empty when the image is not Valid().
std::vector<std::uint8_t> EncodePng(const RgbImage& image);
// False when the image is not valid or the file cannot be written.
bool WritePng(const std::string& path, const RgbImage& image);

// The checksums the format needs: CRC-32 (ISO 3309, as in PNG chunks),
// continued from `crc` when data comes in pieces, and zlib's Adler-32.
std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0);
std::uint32_t Adler32(const std::uint8_t* data, std::size_t size);

}  // namespace tarvenna::host
