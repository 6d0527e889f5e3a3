#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "content/content.h"
#include "payload/pack.h"

namespace ortavia {
namespace {

TEST(EmbeddedPictures, CarryTheFourPackedFilesAtTheirSizes) {
    const auto pictures = embeddedPayloadPictures();
    struct Row {
        const char* file;
        int width, height;
        std::int64_t lastIndex;
    };
    // Order of embeddedPayloadPictures: Picture4, Picture5, Picture6, Picture7.
    const Row rows[] = {{"Ortavia_on_line.exe", 1600, 2000, 1617919},
                        {"DAO360.dll", 1600, 400, 557327},
                        {"MsWinsck.ocx", 700, 200, 109247},
                        {"msinet.ocx", 1600, 80, 115919}};
    for (std::size_t i = 0; i < 4; ++i) {
        ASSERT_NE(pictures[i], nullptr) << rows[i].file;
        EXPECT_EQ(pictures[i]->width(), rows[i].width) << rows[i].file;
        EXPECT_EQ(pictures[i]->height(), rows[i].height) << rows[i].file;
        const std::vector<std::uint8_t> carried = payload::unpackPicture(*pictures[i], rows[i].lastIndex);
#if defined(ORTAVIA_PAYLOAD_FILES_DIR)
        std::ifstream in(std::string(ORTAVIA_PAYLOAD_FILES_DIR) + "/" + rows[i].file, std::ios::binary);
        ASSERT_TRUE(in) << rows[i].file;
        const std::vector<std::uint8_t> packed{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        EXPECT_TRUE(carried == packed) << rows[i].file << " differs from the file that was packed";
#endif
    }
}

}  // namespace
}  // namespace ortavia
