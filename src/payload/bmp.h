// Uncompressed 24-bit Windows bitmaps (14-byte file header, 40-byte
// BITMAPINFOHEADER or one of its longer successors, BI_RGB, rows padded to
// 4 bytes), read where they lie: the image keeps a view of the bytes it was
// given and copies no pixel.  The bytes must outlive the image.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "setup/window_model.h"

namespace ortavia::payload {

// A file that is not a bitmap this reader understands, or a packing request
// that cannot be met.  Raised only by the tools' entry points, never inside
// the installation logic.
struct PayloadFormatError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class BmpImage final : public PixelSource {
public:
    // The image over `bytes`, or nothing with the reason in `error`.  Every
    // header field is checked against the buffer's length before any pixel
    // can be read, so a truncated or lying header is refused here.
    static std::optional<BmpImage> parse(std::span<const std::uint8_t> bytes, std::string& error);
    // The same, raising PayloadFormatError.
    static BmpImage open(std::span<const std::uint8_t> bytes);

    int width() const override { return width_; }
    int height() const override { return height_; }
    std::int32_t point(int x, int y) const override;

    // Reads the payload bytes of `count` pixels of row y from column x on
    // into `out`: each pixel must be pure red (green and blue 0).  Returns
    // how many were taken before the first pixel that is no byte or lies
    // outside the picture (count when all were).
    std::int64_t takeRedRun(std::int64_t x, std::int64_t y, std::int64_t count, std::uint8_t* out) const;

    // The stored pixel bytes of row y (0 = top), three a pixel in the order
    // blue, green, red; y must lie inside the picture.
    const std::uint8_t* rowData(int y) const { return row(y); }

private:
    BmpImage(const std::uint8_t* pixels, int width, int height, std::size_t stride, bool bottomUp)
        : pixels_(pixels), width_(width), height_(height), stride_(stride), bottomUp_(bottomUp) {}
    const std::uint8_t* row(int y) const {
        const std::size_t stored = bottomUp_ ? static_cast<std::size_t>(height_ - 1 - y) : static_cast<std::size_t>(y);
        return pixels_ + stored * stride_;
    }

    const std::uint8_t* pixels_;
    int width_;
    int height_;
    std::size_t stride_;
    bool bottomUp_;
};

// A bottom-up 24-bit BI_RGB bitmap of width x height, every pixel black.
std::vector<std::uint8_t> blankBmp(int width, int height);
// Sets pixel (x, y) of a bitmap made by blankBmp (no checks beyond bounds).
void setBmpPixel(std::vector<std::uint8_t>& bmp, int x, int y, Rgb colour);

}  // namespace ortavia::payload
