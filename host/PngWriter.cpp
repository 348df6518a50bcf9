#include "host/PngWriter.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace tarvenna::host {

namespace {

constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// A stored deflate block holds at most this many bytes.
constexpr std::size_t kStoredBlockMax = 65535;
// Larger images would overflow the sizes a chunk can state; a screenshot
// never comes near.
constexpr long long kMaxImageBytes = 256LL * 1024 * 1024;

const std::array<std::uint32_t, 256>& CrcTable()
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> entries{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
        return entries;
    }();
    return table;
}

void PutBig32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, const char type[4],
              const std::vector<std::uint8_t>& data)
{
    PutBig32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBig32(out, Crc32(out.data() + typeAt, out.size() - typeAt));
}

// Each row starts with filter type 0 (none).
std::vector<std::uint8_t> FilteredRows(const RgbImage& image)
{
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 3;
    std::vector<std::uint8_t> rows;
    rows.reserve((rowBytes + 1) * static_cast<std::size_t>(image.height));
    for (int y = 0; y < image.height; ++y) {
        rows.push_back(0);
        const auto row = image.pixels.begin() + static_cast<std::ptrdiff_t>(rowBytes * y);
        rows.insert(rows.end(), row, row + static_cast<std::ptrdiff_t>(rowBytes));
    }
    return rows;
}

// A zlib stream (RFC 1950) of stored deflate blocks (RFC 1951).
std::vector<std::uint8_t> StoredZlib(const std::vector<std::uint8_t>& data)
{
    std::vector<std::uint8_t> out{0x78, 0x01};  // deflate, 32 KiB window; 0x7801 % 31 == 0
    std::size_t done = 0;
    do {
        const std::size_t size = std::min(kStoredBlockMax, data.size() - done);
        const bool last = done + size == data.size();
        out.push_back(last ? 1 : 0);  // BFINAL, BTYPE 00
        out.push_back(static_cast<std::uint8_t>(size));
        out.push_back(static_cast<std::uint8_t>(size >> 8));
        out.push_back(static_cast<std::uint8_t>(~size));
        out.push_back(static_cast<std::uint8_t>(~size >> 8));
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(done),
                   data.begin() + static_cast<std::ptrdiff_t>(done + size));
        done += size;
    } while (done < data.size());
    PutBig32(out, Adler32(data.data(), data.size()));
    return out;
}

std::vector<std::uint8_t> Header(const RgbImage& image)
{
    std::vector<std::uint8_t> header;
    PutBig32(header, static_cast<std::uint32_t>(image.width));
    PutBig32(header, static_cast<std::uint32_t>(image.height));
    // Bit depth 8, colour type 2 (RGB), deflate, adaptive filtering, no
    // interlace.
    header.insert(header.end(), {8, 2, 0, 0, 0});
    return header;
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
    const auto& table = CrcTable();
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::uint32_t Adler32(const std::uint8_t* data, std::size_t size)
{
    constexpr std::uint32_t kModulus = 65521;
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (std::size_t i = 0; i < size; ++i) {
        a = (a + data[i]) % kModulus;
        b = (b + a) % kModulus;
    }
    return (b << 16) | a;
}

std::vector<std::uint8_t> EncodePng(const RgbImage& image)
{
    if (!image.Valid())
        return {};
    std::vector<std::uint8_t> file(std::begin(kSignature), std::end(kSignature));
    PutChunk(file, "IHDR", Header(image));
    PutChunk(file, "IDAT", StoredZlib(FilteredRows(image)));
    PutChunk(file, "IEND", {});
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
