#include "host/PngWriter.h"

#include <png.h>
#include <zlib.h>

#include <cstdio>

namespace tarvenna::host {

namespace {

// Larger images would be no screenshot of ours; the limit also keeps the
// sizes libpng is handed far from overflowing.
constexpr long long kMaxImageBytes = 256LL * 1024 * 1024;

png_image Describe(const RgbImage& image)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    return png;
}

}  // namespace

bool RgbImage::Valid() const
{
    if (width <= 0 || height <= 0)
        return false;
    const long long bytes = static_cast<long long>(width) * height * 3;
    return bytes <= kMaxImageBytes && pixels.size() == static_cast<std::size_t>(bytes);
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc)
{
    return static_cast<std::uint32_t>(crc32_z(crc, data, size));
}

std::uint32_t Adler32(const std::uint8_t* data, std::size_t size)
{
    return static_cast<std::uint32_t>(adler32_z(adler32_z(0, Z_NULL, 0), data, size));
}

// Asked once for the size, then written into a buffer of that size.
std::vector<std::uint8_t> EncodePng(const RgbImage& image)
{
    if (!image.Valid())
        return {};
    png_image png = Describe(image);
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&png, nullptr, &size, 0, image.pixels.data(), 0, nullptr))
        return {};
    std::vector<std::uint8_t> file(size);
    png = Describe(image);
    if (!png_image_write_to_memory(&png, file.data(), &size, 0, image.pixels.data(), 0, nullptr))
        return {};
    file.resize(size);
    return file;
}

bool WritePng(const std::string& path, const RgbImage& image)
{
    const std::vector<std::uint8_t> file = EncodePng(image);
    if (file.empty())
        return false;
    std::FILE* stream = std::fopen(path.c_str(), "wb");
    if (stream == nullptr)
        return false;
    const bool written = std::fwrite(file.data(), 1, file.size(), stream) == file.size();
    return std::fclose(stream) == 0 && written;
}

}  // namespace tarvenna::host
