#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "content/content.h"

namespace ortavia {
namespace {

// The built-in paragraphs, in the roles the agreement page gives them.
TEST(AgreementContent, ElevenParagraphsInTheirRolesWithTrailingBlanksKept) {
    const auto p = embeddedAgreement();
    const std::size_t targets[11] = {46, 664, 234, 1295, 496, 831, 615, 140, 358, 42, 378};
    for (std::size_t i = 0; i < p.size(); ++i) {
        SCOPED_TRACE("paragraph " + std::to_string(i));
        const std::size_t chars = text::charCount(p[i]);
        // Close to the designed lengths: the text area and its scrolling were
        // laid out for them.
        EXPECT_LE(static_cast<std::size_t>(std::labs(static_cast<long>(chars) - static_cast<long>(targets[i]))),
                  targets[i] / 10 + 5)
            << chars << " characters";
        EXPECT_EQ(p[i].find_first_of("\r\n|"), std::string::npos) << "one paragraph, no line break, no end marker";
    }
    EXPECT_NE(p[0].find("Ortavia-on-line"), std::string::npos);
    EXPECT_EQ(p[7].back(), ':') << "introduces the list item";
    EXPECT_EQ(p[8].rfind("- ", 0), 0u) << "a list item";
    // The stored wording carries trailing blanks on these two; the end
    // marker of the resource must keep them.
    EXPECT_EQ(p[1].back(), ' ');
    EXPECT_EQ(p[9].back(), ' ');
    // Stored as UTF-8: "è" is two bytes, one character.
    EXPECT_NE(p[1].find("\xC3\xA8"), std::string::npos);
}

}  // namespace
}  // namespace ortavia
