// The pictures a payload test paints, and a setup window carrying them on a
// fresh simulated machine.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <memory>
#include <string>
#include <vector>

#include "payload/bmp.h"
#include "support/sim_fixture.h"

namespace ortavia::payload_test {

inline constexpr std::int32_t kGreen = 0x00FF00;  // a colour that is no byte

// A W x H grid of colour values; every pixel starts as a non-byte, so a read
// of a pixel nobody painted fails the extraction.
struct Canvas {
    int width, height;
    std::vector<std::int32_t> colour;
    Canvas(int w, int h) : width(w), height(h), colour(static_cast<std::size_t>(w * h), kGreen) {}
    std::int32_t& at(int x, int y) { return colour[static_cast<std::size_t>(y * width + x)]; }
};

// Through Point only, one pixel at a time.
class GridSource : public PixelSource {
public:
    explicit GridSource(Canvas c) : c_(std::move(c)) {}
    int width() const override { return c_.width; }
    int height() const override { return c_.height; }
    std::int32_t point(int x, int y) const override {
        if (x < 0 || y < 0 || x >= c_.width || y >= c_.height) return -1;
        return c_.colour[static_cast<std::size_t>(y * c_.width + x)];
    }

private:
    Canvas c_;
};

enum class Source { Grid, Bitmap };

inline std::shared_ptr<const PixelSource> picture(const Canvas& c, Source kind) {
    if (kind == Source::Grid) return std::make_shared<GridSource>(c);
    struct Held {
        std::vector<std::uint8_t> bytes;
        std::optional<payload::BmpImage> image;
    };
    auto held = std::make_shared<Held>();
    held->bytes = payload::blankBmp(c.width, c.height);
    for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
            const std::int32_t v = c.colour[static_cast<std::size_t>(y * c.width + x)];
            payload::setBmpPixel(held->bytes, x, y,
                                 Rgb{static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                     static_cast<std::uint8_t>(v >> 16)});
        }
    }
    held->image = payload::BmpImage::open(held->bytes);
    return std::shared_ptr<const PixelSource>(held, &*held->image);
}

// The shared fixture on a machine with UAC off (so start-up goes straight to
// the wizard), its window built at once with the given content.
struct SimSetup : sim::SimFixture {
    explicit SimSetup(SetupContent content, std::function<void(sim::SimMachine&)> customize = {})
        : SimFixture(sim::SimOptions{.customize =
                                         [customize = std::move(customize)](sim::SimMachine& m) {
                                             sim::uacOff(m);
                                             if (customize) customize(m);
                                         },
                                     .content = std::move(content)}) {
        form();
    }
    // A file's bytes; nothing when it is missing.
    std::vector<std::uint8_t> file(const std::string& windowsPath) const {
        return machine().readFileBytes(windowsPath).value_or(std::vector<std::uint8_t>{});
    }
};

}  // namespace ortavia::payload_test
