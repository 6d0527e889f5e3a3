#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "payload_sim.h"

namespace ortavia::payload_test {
namespace {

constexpr const char* kOut = "C:\\out.bin";

// Paints the pixels a file of `bytes` bytes visits, in reading order, with
// distinct values (pixel (x, y) = 16 y + x + 1 for small pictures); column 0
// below the first row and everything after the last byte stay non-bytes.
Canvas walked(int w, int h, std::int64_t bytes) {
    Canvas c(w, h);
    for (std::int64_t k = 0; k < bytes; ++k) {
        const int x = k < w ? static_cast<int>(k) : 1 + static_cast<int>((k - w) % (w - 1));
        const int y = k < w ? 0 : 1 + static_cast<int>((k - w) / (w - 1));
        c.at(x, y) = (16 * y + x + 1) & 0xFF;
    }
    return c;
}

SetupContent withPicture4(std::shared_ptr<const PixelSource> p) {
    SetupContent content;
    content.picture4 = std::move(p);
    return content;
}

class Extractor : public ::testing::TestWithParam<Source> {};

TEST_P(Extractor, ReadsBytesInWalkOrderAndNothingElse) {
    struct Case {
        std::int64_t k;
        int x, y;
    };
    // W = 5: byte 0, W-1, W, 2W-2, 2W-1, and the last byte N = 10.
    SimSetup s(withPicture4(picture(walked(5, 4, 11), GetParam())));
    ASSERT_TRUE(s.form().ExtractPictureToFile(10, kOut, s.form().Picture4));
    const std::vector<std::uint8_t> out = s.file(kOut);
    ASSERT_EQ(out.size(), 11u);
    for (const Case& c : {Case{0, 0, 0}, Case{4, 4, 0}, Case{5, 1, 1}, Case{8, 4, 1}, Case{9, 1, 2}, Case{10, 2, 2}}) {
        EXPECT_EQ(out[static_cast<std::size_t>(c.k)], 16 * c.y + c.x + 1) << "byte " << c.k;
    }
    EXPECT_EQ(s.form().PayloadBytes, out);
}

TEST_P(Extractor, WideRowsWrapToColumnOne) {
    Canvas c = walked(1600, 3, 3200);
    SimSetup s(withPicture4(picture(c, GetParam())));
    ASSERT_TRUE(s.form().ExtractPictureToFile(3199, kOut, s.form().Picture4));
    const std::vector<std::uint8_t> out = s.file(kOut);
    ASSERT_EQ(out.size(), 3200u);
    EXPECT_EQ(out[1599], c.at(1599, 0));
    EXPECT_EQ(out[1600], c.at(1, 1));
    EXPECT_EQ(out[3198], c.at(1599, 1));
    EXPECT_EQ(out[3199], c.at(1, 2));
}

TEST_P(Extractor, OneByteAndExactlyTheFirstRow) {
    struct Case {
        std::int32_t n;
        std::uint64_t yields;  // one per finished row, one before the file is opened
    };
    for (const Case& c : {Case{0, 1}, Case{4, 2}}) {
        SimSetup s(withPicture4(picture(walked(5, 2, c.n + 1), GetParam())));
        const std::uint64_t before = s.rt().yieldCount();
        ASSERT_TRUE(s.form().ExtractPictureToFile(c.n, kOut, s.form().Picture4)) << c.n;
        EXPECT_EQ(s.file(kOut).size(), static_cast<std::size_t>(c.n) + 1);
        EXPECT_EQ(s.rt().yieldCount() - before, c.yields) << c.n;
    }
}

TEST_P(Extractor, ANonBytePixelOrAnIndexPastThePictureFailsBeforeAnyFile) {
    struct Case {
        const char* what;
        int x, y;  // repainted pixel, or -1
        std::int32_t colour;
        std::int32_t n;
    };
    // A 5 x 4 picture carries 17 bytes: indices 0 .. 16.
    const Case cases[] = {
        {"green at a visited pixel", 2, 1, 0x000100 | 7, 16},
        {"blue at a visited pixel", 4, 0, 0x010000, 16},
        {"index one past the capacity", -1, 0, 0, 17},
        {"negative index", -1, 0, 0, -1},
    };
    for (const Case& c : cases) {
        Canvas canvas = walked(5, 4, 17);
        if (c.x >= 0) canvas.at(c.x, c.y) = c.colour;
        SimSetup s(withPicture4(picture(canvas, GetParam())));
        EXPECT_FALSE(s.form().ExtractPictureToFile(c.n, kOut, s.form().Picture4)) << c.what;
        EXPECT_FALSE(s.machine().fileExists(kOut)) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(BothReaders, Extractor, ::testing::Values(Source::Grid, Source::Bitmap),
                         [](const ::testing::TestParamInfo<Source>& p) { return p.param == Source::Grid ? "Point" : "Bitmap"; });

TEST(ExtractorFile, WritesOverTheStartOfALongerFileAndFailsOnAMissingFolder) {
    SimSetup s(withPicture4(picture(walked(5, 2, 5), Source::Bitmap)));
    s.machine().addFile(kOut, std::vector<std::uint8_t>(8, 0xAA));
    ASSERT_TRUE(s.form().ExtractPictureToFile(4, kOut, s.form().Picture4));
    EXPECT_EQ(s.file(kOut), (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 0xAA, 0xAA, 0xAA}));

    EXPECT_FALSE(s.form().ExtractPictureToFile(4, "C:\\Missing\\out.bin", s.form().Picture4));
    EXPECT_FALSE(s.machine().folderExists("C:\\Missing"));
}

TEST(ExtractorFile, AFullDiskKeepsTheBytesWrittenBeforeIt) {
    // A full disk still lets the file's existing bytes be overwritten, as one
    // Put per byte would, and refuses every byte past its old end.
    struct Case {
        std::vector<std::uint8_t> before;
        std::vector<std::uint8_t> after;
    };
    const Case cases[] = {
        {{}, {}},
        {{0xAA, 0xAA, 0xAA}, {1, 2, 3}},
    };
    for (const Case& c : cases) {
        SimSetup s(withPicture4(picture(walked(5, 2, 5), Source::Bitmap)));
        if (!c.before.empty()) s.machine().addFile(kOut, c.before);
        s.machine().setDiskFull('C', true);
        EXPECT_FALSE(s.form().ExtractPictureToFile(4, kOut, s.form().Picture4));
        EXPECT_TRUE(s.machine().fileExists(kOut)) << "the file is not deleted";
        EXPECT_EQ(s.file(kOut), c.after);
    }
}

// The real executable's picture: every byte, 17 steps of the bar, one yield
// per row and the file opened only after the last pixel.
TEST(ExtractorPicture4, RebuildsTheExecutableWithSeventeenStepsAndAYieldPerRow) {
    SimSetup s(embeddedContent());
    const std::string exe = "C:\\Ortavia_on_line.exe";
    bool fileSeenDuringYields = false;
    s.rt().onYield([&](std::uint64_t) { fileSeenDuringYields |= s.machine().fileExists(exe); });

    struct Case {
        std::int32_t n;
        int steps;
    };
    for (const Case& c : {Case{1617919, 17}, Case{0, 1}, Case{99999, 1}, Case{100000, 2}}) {
        const float scale = s.form().Picture2.ScaleWidth();
        float expected = s.form().Picture3.Width();
        for (int i = 0; i < c.steps; ++i) expected = expected + scale * 0.01f;
        const std::uint64_t before = s.rt().yieldCount();
        ASSERT_TRUE(s.form().ExtractPictureToFile(c.n, exe, s.form().Picture4)) << c.n;
        EXPECT_EQ(s.form().Picture3.Width(), expected) << c.n;
        if (c.n == 1617919) {
            // 1011 full rows, the last byte at (1330, 1011), then the yield before opening.
            EXPECT_EQ(s.rt().yieldCount() - before, 1012u);
            EXPECT_FALSE(fileSeenDuringYields) << "the file was opened before the last pixel was read";
#if defined(ORTAVIA_PAYLOAD_FILES_DIR)
            std::ifstream in(std::string(ORTAVIA_PAYLOAD_FILES_DIR) + "/Ortavia_on_line.exe", std::ios::binary);
            const std::vector<std::uint8_t> packed{std::istreambuf_iterator<char>(in),
                                                   std::istreambuf_iterator<char>()};
            EXPECT_TRUE(s.file(exe) == packed);
#endif
        }
    }
}

}  // namespace
}  // namespace ortavia::payload_test
