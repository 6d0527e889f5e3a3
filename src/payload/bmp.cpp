#include "payload/bmp.h"

#include <algorithm>
#include <limits>

namespace ortavia::payload {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint16_t kBitsPerPixel = 24;
constexpr std::uint32_t kBiRgb = 0;
// Larger bitmaps than this are no payload; the limit also keeps every size
// computation far from overflow.
constexpr std::int64_t kMaxSide = 1 << 16;

std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
void put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::size_t strideOf(std::int64_t width) { return static_cast<std::size_t>((width * 3 + 3) & ~std::int64_t{3}); }

}  // namespace

std::optional<BmpImage> BmpImage::parse(std::span<const std::uint8_t> bytes, std::string& error) {
    const std::uint8_t* d = bytes.data();
    const std::size_t size = bytes.size();
    if (size < kFileHeaderSize + kInfoHeaderSize) {
        error = "truncated bitmap: " + std::to_string(size) + " bytes, the two headers alone take 54";
        return std::nullopt;
    }
    if (d[0] != 'B' || d[1] != 'M') {
        error = "not a bitmap: the file does not start with \"BM\"";
        return std::nullopt;
    }
    const std::uint32_t pixelOffset = le32(d + 10);
    const std::uint32_t infoSize = le32(d + 14);
    // Image editors may write the longer V4/V5 headers; their first 40 bytes
    // are a BITMAPINFOHEADER.  The 12-byte OS/2 header is not accepted.
    if (infoSize < kInfoHeaderSize || infoSize > size - kFileHeaderSize) {
        error = "unsupported bitmap info header of " + std::to_string(infoSize) + " bytes";
        return std::nullopt;
    }
    const auto width = static_cast<std::int32_t>(le32(d + 18));
    const auto rawHeight = static_cast<std::int32_t>(le32(d + 22));
    const std::uint16_t planes = le16(d + 26);
    const std::uint16_t bits = le16(d + 28);
    const std::uint32_t compression = le32(d + 30);
    if (planes != 1 || bits != kBitsPerPixel) {
        error = "not a 24-bit bitmap (" + std::to_string(bits) + " bits per pixel, " + std::to_string(planes) +
                " planes)";
        return std::nullopt;
    }
    if (compression != kBiRgb) {
        error = "compressed bitmap (compression " + std::to_string(compression) + "), only BI_RGB is read";
        return std::nullopt;
    }
    // A negative height marks rows stored top-down.
    const std::int64_t height = rawHeight < 0 ? -static_cast<std::int64_t>(rawHeight) : rawHeight;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
        error = "bad bitmap size " + std::to_string(width) + " x " + std::to_string(rawHeight);
        return std::nullopt;
    }
    if (pixelOffset < kFileHeaderSize + infoSize || pixelOffset > size) {
        error = "pixel data offset " + std::to_string(pixelOffset) + " lies outside the bitmap";
        return std::nullopt;
    }
    const std::size_t stride = strideOf(width);
    const auto needed = static_cast<std::uint64_t>(stride) * static_cast<std::uint64_t>(height);
    if (needed > size - pixelOffset) {
        error = "truncated bitmap: " + std::to_string(width) + " x " + std::to_string(height) + " needs " +
                std::to_string(needed) + " bytes of pixels, the file holds " + std::to_string(size - pixelOffset);
        return std::nullopt;
    }
    return BmpImage(d + pixelOffset, width, static_cast<int>(height), stride, rawHeight > 0);
}

BmpImage BmpImage::open(std::span<const std::uint8_t> bytes) {
    std::string error;
    std::optional<BmpImage> image = parse(bytes, error);
    if (!image) throw PayloadFormatError(error);
    return *image;
}

std::int32_t BmpImage::point(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return -1;
    const std::uint8_t* p = row(y) + static_cast<std::size_t>(x) * 3;
    return static_cast<std::int32_t>(p[2]) | (static_cast<std::int32_t>(p[1]) << 8) |
           (static_cast<std::int32_t>(p[0]) << 16);
}

std::int64_t BmpImage::takeRedRun(std::int64_t x, std::int64_t y, std::int64_t count, std::uint8_t* out) const {
    if (count <= 0 || x < 0 || y < 0 || y >= height_ || x >= width_) return 0;
    const std::int64_t inside = std::min<std::int64_t>(count, width_ - x);
    const std::uint8_t* p = row(static_cast<int>(y)) + static_cast<std::size_t>(x) * 3;
    for (std::int64_t i = 0; i < inside; ++i, p += 3) {
        if ((p[0] | p[1]) != 0) return i;
        out[i] = p[2];
    }
    return inside;
}

std::vector<std::uint8_t> blankBmp(int width, int height) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
        throw PayloadFormatError("bad bitmap size " + std::to_string(width) + " x " + std::to_string(height));
    }
    const std::size_t stride = strideOf(width);
    const std::size_t pixelBytes = stride * static_cast<std::size_t>(height);
    const std::size_t offset = kFileHeaderSize + kInfoHeaderSize;
    if (offset + pixelBytes > std::numeric_limits<std::uint32_t>::max()) {
        throw PayloadFormatError("bitmap too large for a BMP file");
    }
    std::vector<std::uint8_t> bmp(offset + pixelBytes, 0);
    std::uint8_t* d = bmp.data();
    d[0] = 'B';
    d[1] = 'M';
    put32(d + 2, static_cast<std::uint32_t>(bmp.size()));
    put32(d + 10, static_cast<std::uint32_t>(offset));
    put32(d + 14, kInfoHeaderSize);
    put32(d + 18, static_cast<std::uint32_t>(width));
    put32(d + 22, static_cast<std::uint32_t>(height));
    put16(d + 26, 1);
    put16(d + 28, kBitsPerPixel);
    put32(d + 30, kBiRgb);
    put32(d + 34, static_cast<std::uint32_t>(pixelBytes));
    // 2835 pixels per metre: 72 dots per inch, what Windows Paint writes.
    put32(d + 38, 2835);
    put32(d + 42, 2835);
    return bmp;
}

void setBmpPixel(std::vector<std::uint8_t>& bmp, int x, int y, Rgb colour) {
    const auto width = static_cast<std::int32_t>(le32(bmp.data() + 18));
    const auto height = static_cast<std::int32_t>(le32(bmp.data() + 22));
    if (x < 0 || y < 0 || x >= width || y >= height) throw PayloadFormatError("pixel outside the bitmap");
    const std::size_t at = le32(bmp.data() + 10) + static_cast<std::size_t>(height - 1 - y) * strideOf(width) +
                           static_cast<std::size_t>(x) * 3;
    bmp.at(at) = colour.b;
    bmp.at(at + 1) = colour.g;
    bmp.at(at + 2) = colour.r;
}

}  // namespace ortavia::payload
