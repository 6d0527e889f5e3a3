#include <gtest/gtest.h>

#include <string>

#include "support/sim_fixture.h"

namespace ortavia {
namespace {

using sim::SimFixture;
using sim::uacOff;

// Small stand-in paragraphs make every block and separator visible; two of
// them carry trailing blanks that must survive.
TEST(AgreementPage, AssemblesSeventeenBlocksInOrder) {
    SimFixture fx(uacOff);
    SetupContent c;
    c.agreement = {"Titolo", "Premessa ", "P2", "P3", "P4", "P5", "P6", "P7:", "- P8", "Fine.  ", "P10"};
    fx.setContent(c);
    ASSERT_TRUE(fx.start());
    ASSERT_TRUE(fx.click("Label14"));

    EXPECT_EQ(fx.form().Text4.Text(),
              "Titolo\r\n\r\n"
              "Premessa \r\n\r\n"
              "LICENZA\r\n\r\n"
              "P2\r\n\r\n"
              "MODO D'USO DEL SOFTWARE\r\n\r\n"
              "P3\r\n\r\n"
              "SCADENZA\r\n\r\n"
              "P4\r\n\r\n"
              "AVVERTENZE\r\n\r\n"
              "P5\r\n\r\n"
              "GARANZIA LIMITATA\r\n\r\n"
              "P6\r\n\r\n"
              "P7:\r\n\r\n"
              "- P8\r\n\r\n"
              "Fine.  \r\n\r\n"
              "DISPOSIZIONI GENERALI\r\n\r\n"
              "P10\r\n\r\n");
}

// The built-in wording, as the user gets it: title first, the headings alone
// on their lines in order, nothing lost or added around the paragraphs.
TEST(AgreementPage, BuiltInTextHasTheHeadingsInOrderAndEndsWithAnEmptyLine) {
    SimFixture fx(uacOff);
    ASSERT_TRUE(fx.start());
    ASSERT_TRUE(fx.click("Label14"));
    const std::string& t = fx.form().Text4.Text();
    const auto p = embeddedAgreement();

    EXPECT_EQ(t.rfind(p[0] + "\r\n\r\n", 0), 0u) << "title first, then an empty line";
    ASSERT_GE(t.size(), 4u);
    EXPECT_EQ(t.substr(t.size() - 4), "\r\n\r\n");
    std::size_t at = 0;
    for (const char* heading :
         {"LICENZA", "MODO D'USO DEL SOFTWARE", "SCADENZA", "AVVERTENZE", "GARANZIA LIMITATA", "DISPOSIZIONI GENERALI"}) {
        const std::size_t found = t.find("\r\n\r\n" + std::string(heading) + "\r\n\r\n", at);
        ASSERT_NE(found, std::string::npos) << heading << " alone on its line, after the previous heading";
        at = found + 1;
    }
    std::size_t expectedSize = 17 * 4;
    for (const auto& para : p) expectedSize += para.size();
    for (const char* heading :
         {"LICENZA", "MODO D'USO DEL SOFTWARE", "SCADENZA", "AVVERTENZE", "GARANZIA LIMITATA", "DISPOSIZIONI GENERALI"})
        expectedSize += std::string(heading).size();
    EXPECT_EQ(t.size(), expectedSize);
    EXPECT_NE(t.find(p[1] + "\r\n\r\nLICENZA"), std::string::npos) << "the preamble's trailing blank is kept";
}

TEST(AgreementPage, TickingLocksThePanelAndNextComesBackOneSecondLater) {
    SimFixture fx(uacOff);
    ASSERT_TRUE(fx.start());
    Setup1& f = fx.form();
    ASSERT_TRUE(fx.click("Label14"));
    EXPECT_TRUE(f.Picture9.isSeen());
    EXPECT_FALSE(f.label27.isSeen());
    EXPECT_FALSE(f.Label14.Enabled());
    EXPECT_EQ(f.WizardStep, 1);

    ASSERT_TRUE(fx.click("Check1"));
    EXPECT_EQ(f.Check1.Value(), 1);
    EXPECT_FALSE(fx.click("Check1")) << "the locked panel takes no input";
    EXPECT_EQ(f.Check1.Value(), 1) << "cannot be unticked";

    fx.wait(999);
    EXPECT_TRUE(f.Picture9.isSeen()) << "still on screen during the delay";
    EXPECT_FALSE(fx.click("Label14"));
    EXPECT_FALSE(f.Label1.isSeen());
    EXPECT_EQ(f.WizardStep, 1);

    fx.wait(1);
    EXPECT_FALSE(f.Picture9.isSeen());
    EXPECT_TRUE(f.Label1.isSeen());
    EXPECT_EQ(f.Label1.Caption(), "Per proseguire, fare clic su Avanti");
    EXPECT_TRUE(f.Label14.Enabled());
    EXPECT_FALSE(f.Timer5.Enabled()) << "one tick only";

    ASSERT_TRUE(fx.click("Label14"));
    EXPECT_FALSE(f.Label1.isSeen()) << "the destination page hides the hint";
    EXPECT_TRUE(f.Label6.isSeen());
    EXPECT_EQ(f.WizardStep, 2);
}

}  // namespace
}  // namespace ortavia
