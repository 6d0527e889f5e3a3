// The fixed order in which a payload picture's pixels carry a file's bytes.
// The extractor and the packer both use it, so they cannot drift apart.
//
// The first row holds W bytes (columns 0 .. W-1); every later row holds W-1
// bytes in columns 1 .. W-1: the extractor wraps to column 1, never 0.
#pragma once

#include <cstdint>

namespace ortavia::payload {

struct PixelPos {
    std::int64_t x = 0;
    std::int64_t y = 0;
    friend bool operator==(const PixelPos&, const PixelPos&) = default;
};

// Where byte k of a file lies in a picture of row width W (W >= 2).
constexpr PixelPos walkPosition(std::int64_t k, std::int64_t width) {
    if (k < width) return {k, 0};
    const std::int64_t rest = k - width;
    return {1 + rest % (width - 1), 1 + rest / (width - 1)};
}

// How many bytes a W x H picture can carry (W >= 2, H >= 1).
constexpr std::int64_t walkCapacity(std::int64_t width, std::int64_t height) {
    return width + (height - 1) * (width - 1);
}

}  // namespace ortavia::payload
