// Supplied content the setup carries inside itself: the eleven agreement
// paragraphs and the four payload pictures.  The window takes it by value at
// construction, so tests can hand in small stand-ins.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "setup/window_model.h"

namespace ortavia {

struct SetupContent {
    // Captions of Label2(0) .. Label2(10), exactly as stored (trailing blanks kept).
    std::array<std::string, 11> agreement;
    // Payload bitmaps of Picture4 .. Picture7; null when not carried.
    std::shared_ptr<const PixelSource> picture4;
    std::shared_ptr<const PixelSource> picture5;
    std::shared_ptr<const PixelSource> picture6;
    std::shared_ptr<const PixelSource> picture7;
};

// The content built into this program (content/content.cpp puts the two
// parts together).
SetupContent embeddedContent();

// The eleven agreement paragraphs carried inside the program.
std::array<std::string, 11> embeddedAgreement();

// The four payload pictures carried inside the program, in the order
// Picture4, Picture5, Picture6, Picture7; null entries when not built in.
std::array<std::shared_ptr<const PixelSource>, 4> embeddedPayloadPictures();

}  // namespace ortavia
