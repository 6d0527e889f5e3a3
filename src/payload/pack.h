// Making a payload picture from a file (the walk run backwards) and reading
// one back, for the build and for maintainers checking a payload by hand.
// Both raise PayloadFormatError with a message fit for a command line.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "payload/bmp.h"

namespace ortavia::payload {

struct PictureSize {
    int width = 0;
    int height = 0;
};

// A picture just large enough for `length` bytes: 1600 pixels wide (narrower
// for a file shorter than one row), as few rows as needed.
PictureSize choosePictureSize(std::uint64_t length);

// The bitmap carrying `file` in a width x height picture.  Every pixel the
// walk does not visit stays black.  Refuses an empty file (the extractor
// always writes at least one byte), a width below 2 and a file larger than
// the picture's capacity.  The extractor's last byte index is file.size() - 1.
std::vector<std::uint8_t> packPicture(std::span<const std::uint8_t> file, int width, int height);

// The lastIndex + 1 bytes a picture carries, read along the walk with the
// picture's own width; refuses a pixel that is no byte.
std::vector<std::uint8_t> unpackPicture(const PixelSource& picture, std::int64_t lastIndex);

}  // namespace ortavia::payload
