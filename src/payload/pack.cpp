#include "payload/pack.h"

#include <string>

#include "payload/walk.h"

namespace ortavia::payload {

namespace {
constexpr int kPreferredWidth = 1600;
}

PictureSize choosePictureSize(std::uint64_t length) {
    if (length <= static_cast<std::uint64_t>(kPreferredWidth)) {
        return {length < 2 ? 2 : static_cast<int>(length), 1};
    }
    const std::uint64_t rest = length - kPreferredWidth;
    const std::uint64_t rows = 1 + (rest + kPreferredWidth - 2) / (kPreferredWidth - 1);
    if (rows > static_cast<std::uint64_t>(1) << 16) throw PayloadFormatError("file too large for a payload picture");
    return {kPreferredWidth, static_cast<int>(rows)};
}

std::vector<std::uint8_t> packPicture(std::span<const std::uint8_t> file, int width, int height) {
    if (file.empty()) throw PayloadFormatError("the file is empty: a payload carries at least one byte");
    if (width < 2 || height < 1) {
        throw PayloadFormatError("a payload picture needs a width of at least 2 and a height of at least 1, not " +
                                 std::to_string(width) + " x " + std::to_string(height));
    }
    const std::int64_t capacity = walkCapacity(width, height);
    const auto length = static_cast<std::int64_t>(file.size());
    if (length > capacity) {
        throw PayloadFormatError("the file has " + std::to_string(length) + " bytes, but a " + std::to_string(width) +
                                 " x " + std::to_string(height) + " picture carries at most " +
                                 std::to_string(capacity));
    }
    std::vector<std::uint8_t> bmp = blankBmp(width, height);
    for (std::int64_t k = 0; k < length; ++k) {
        const PixelPos p = walkPosition(k, width);
        setBmpPixel(bmp, static_cast<int>(p.x), static_cast<int>(p.y), Rgb{file[static_cast<std::size_t>(k)], 0, 0});
    }
    return bmp;
}

std::vector<std::uint8_t> unpackPicture(const PixelSource& picture, std::int64_t lastIndex) {
    if (lastIndex < 0) throw PayloadFormatError("the last byte index must be 0 or more");
    const int width = picture.width();
    if (width < 2) throw PayloadFormatError("a payload picture is at least 2 pixels wide");
    const std::int64_t capacity = walkCapacity(width, picture.height());
    if (lastIndex >= capacity) {
        throw PayloadFormatError("last byte index " + std::to_string(lastIndex) + " lies beyond the picture, which " +
                                 "carries at most " + std::to_string(capacity) + " bytes");
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(lastIndex) + 1);
    for (std::int64_t k = 0; k <= lastIndex; ++k) {
        const PixelPos p = walkPosition(k, width);
        const std::int32_t colour = picture.point(static_cast<int>(p.x), static_cast<int>(p.y));
        if (colour < 0 || colour > 255) {
            throw PayloadFormatError("pixel (" + std::to_string(p.x) + ", " + std::to_string(p.y) + ") of byte " +
                                     std::to_string(k) + " is not a byte: colour value " + std::to_string(colour));
        }
        bytes[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(colour);
    }
    return bytes;
}

}  // namespace ortavia::payload
