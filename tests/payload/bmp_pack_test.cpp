#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "payload/bmp.h"
#include "payload/pack.h"

namespace ortavia::payload {
namespace {

void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A 3 x 2 bitmap written byte by byte: rows bottom-up, each 9 bytes of
// pixels padded to 12, pixels stored blue, green, red.
std::vector<std::uint8_t> handMade3x2() {
    std::vector<std::uint8_t> b(54 + 24, 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, static_cast<std::uint32_t>(b.size()));
    put32(b, 10, 54);
    put32(b, 14, 40);
    put32(b, 18, 3);
    put32(b, 22, 2);
    b[26] = 1;
    b[28] = 24;
    // Stored first: the bottom row (y = 1).  (0,1) = red 7; (2,1) = blue 1.
    b[54 + 2] = 7;
    b[54 + 6] = 1;
    // Padding between the rows must never be read as a pixel.
    b[54 + 9] = b[54 + 10] = b[54 + 11] = 0xEE;
    // Then the top row (y = 0): (0,0) = red 200, (1,0) = green 1, (2,0) = (1, 2, 3).
    b[66 + 2] = 200;
    b[66 + 4] = 1;
    b[66 + 6] = 3;
    b[66 + 7] = 2;
    b[66 + 8] = 1;
    return b;
}

TEST(Bmp, ReadsColourValuesBottomUpAcrossRowPadding) {
    const std::vector<std::uint8_t> bytes = handMade3x2();
    const BmpImage image = BmpImage::open(bytes);
    EXPECT_EQ(image.width(), 3);
    EXPECT_EQ(image.height(), 2);
    EXPECT_EQ(image.point(0, 0), 200);
    EXPECT_EQ(image.point(1, 0), 256);
    EXPECT_EQ(image.point(2, 0), 1 + 256 * 2 + 65536 * 3);
    EXPECT_EQ(image.point(0, 1), 7);
    EXPECT_EQ(image.point(1, 1), 0);
    EXPECT_EQ(image.point(2, 1), 65536);
    for (auto [x, y] : {std::pair{-1, 0}, {3, 0}, {0, 2}, {0, -1}}) EXPECT_EQ(image.point(x, y), -1) << x << "," << y;

    std::uint8_t out[3] = {9, 9, 9};
    EXPECT_EQ(image.takeRedRun(0, 1, 3, out), 2) << "blue pixel at (2,1) stops the run";
    EXPECT_EQ(out[0], 7);
    EXPECT_EQ(image.takeRedRun(0, 0, 3, out), 1) << "green pixel at (1,0) stops the run";
    EXPECT_EQ(image.takeRedRun(1, 1, 5, out), 1) << "columns past the width are outside";
    EXPECT_EQ(image.takeRedRun(0, 2, 1, out), 0);
}

TEST(Bmp, MalformedHeadersAreRefusedWithAReason) {
    struct Case {
        const char* what;
        void (*spoil)(std::vector<std::uint8_t>&);
    };
    const Case cases[] = {
        {"shorter than the headers", [](auto& b) { b.resize(53); }},
        {"no BM", [](auto& b) { b[1] = 'A'; }},
        {"OS/2 header", [](auto& b) { put32(b, 14, 12); }},
        {"info header past the end", [](auto& b) { put32(b, 14, 0x7fffffff); }},
        {"32 bits", [](auto& b) { b[28] = 32; }},
        {"two planes", [](auto& b) { b[26] = 2; }},
        {"RLE", [](auto& b) { put32(b, 30, 1); }},
        {"zero width", [](auto& b) { put32(b, 18, 0); }},
        {"negative width", [](auto& b) { put32(b, 18, 0xFFFFFFFD); }},
        {"huge height", [](auto& b) { put32(b, 22, 0x7fffffff); }},
        {"pixels start inside the header", [](auto& b) { put32(b, 10, 20); }},
        {"pixels start past the end", [](auto& b) { put32(b, 10, 0xFFFFFFF0); }},
        {"last row cut short", [](auto& b) { b.resize(b.size() - 1); }},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> b = handMade3x2();
        c.spoil(b);
        std::string error;
        EXPECT_FALSE(BmpImage::parse(b, error).has_value()) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
        EXPECT_THROW(BmpImage::open(b), PayloadFormatError) << c.what;
    }
}

TEST(Bmp, TopDownRowsAreAccepted) {
    std::vector<std::uint8_t> b = handMade3x2();
    put32(b, 22, static_cast<std::uint32_t>(-2));
    const BmpImage image = BmpImage::open(b);
    EXPECT_EQ(image.height(), 2);
    EXPECT_EQ(image.point(0, 0), 7) << "the first stored row is now the top one";
    EXPECT_EQ(image.point(0, 1), 200);
}

std::vector<std::uint8_t> distinctBytes(std::size_t n) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return v;
}

TEST(Packer, PutsEachByteWhereTheWalkReadsIt) {
    struct Case {
        int w;
        std::size_t k;
        int x, y;
    };
    // Byte 0, W-1, W, 2W-2, 2W-1 for two widths.
    const Case cases[] = {
        {1600, 0, 0, 0},    {1600, 1599, 1599, 0}, {1600, 1600, 1, 1}, {1600, 3198, 1599, 1},
        {1600, 3199, 1, 2}, {5, 0, 0, 0},          {5, 4, 4, 0},       {5, 5, 1, 1},
        {5, 8, 4, 1},       {5, 9, 1, 2},
    };
    for (const Case& c : cases) {
        const std::vector<std::uint8_t> file = distinctBytes(2 * static_cast<std::size_t>(c.w) + 5);
        const std::vector<std::uint8_t> bmp = packPicture(file, c.w, 4);
        const BmpImage image = BmpImage::open(bmp);
        EXPECT_EQ(image.point(c.x, c.y), file[c.k]) << "W " << c.w << " byte " << c.k;
    }
}

TEST(Packer, LeavesUnvisitedPixelsBlackAndRoundTrips) {
    const std::vector<std::uint8_t> file = distinctBytes(5 + 4 + 2);  // ends at (2, 2) in a 5 x 4 picture
    const std::vector<std::uint8_t> bmp = packPicture(file, 5, 4);
    const BmpImage image = BmpImage::open(bmp);
    for (int y = 1; y < 4; ++y) EXPECT_EQ(image.point(0, y), 0) << "column 0, row " << y;
    EXPECT_EQ(image.point(3, 2), 0);
    EXPECT_EQ(image.point(4, 3), 0);
    EXPECT_EQ(unpackPicture(image, static_cast<std::int64_t>(file.size()) - 1), file);
    EXPECT_THROW(unpackPicture(image, 5 + 3 * 4), PayloadFormatError) << "index past the capacity";
}

TEST(Packer, CapacityIsTheLimit) {
    // 5 x 4 carries 5 + 3 * 4 = 17 bytes.
    EXPECT_NO_THROW(packPicture(distinctBytes(17), 5, 4));
    try {
        packPicture(distinctBytes(18), 5, 4);
        ADD_FAILURE() << "18 bytes accepted";
    } catch (const PayloadFormatError& e) {
        EXPECT_NE(std::string(e.what()).find("at most 17"), std::string::npos) << e.what();
    }
    EXPECT_THROW(packPicture({}, 5, 4), PayloadFormatError);
    EXPECT_THROW(packPicture(distinctBytes(1), 1, 4), PayloadFormatError);

    for (std::uint64_t length : {1ull, 1600ull, 1601ull, 1617920ull, 557328ull}) {
        const PictureSize s = choosePictureSize(length);
        const std::int64_t cap = s.width + static_cast<std::int64_t>(s.height - 1) * (s.width - 1);
        EXPECT_GE(cap, static_cast<std::int64_t>(length)) << length;
        if (s.height > 1) {
            EXPECT_LT(cap - (s.width - 1), static_cast<std::int64_t>(length)) << "one row fewer would do";
        }
    }
    EXPECT_EQ(choosePictureSize(1617920).height, 1012);
}

}  // namespace
}  // namespace ortavia::payload
