#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setup/window_model.h"

namespace ortavia {
namespace {

class TestForm : public Form {
public:
    TestForm() : Form("t", {0, 0, 100, 100}) {}
    void Form_Load() override {}
    void Form_Activate() override {}
};

TEST(WindowModel, SeenAndReactsFollowTheContainerChain) {
    TestForm f;
    Panel panel(f, "P", ControlKind::Panel, nullptr, {}, {}, true, true);
    Label inner(f, "L", &panel, {}, {}, "x", true);
    int clicks = 0;
    inner.onClick = [&] { ++clicks; };

    EXPECT_TRUE(inner.userClick());
    panel.setEnabled(false);
    EXPECT_TRUE(inner.isSeen());
    EXPECT_FALSE(inner.reacts());
    EXPECT_FALSE(inner.userClick());
    panel.setEnabled(true);
    panel.setVisible(false);
    EXPECT_FALSE(inner.isSeen());
    EXPECT_FALSE(inner.userClick());
    EXPECT_TRUE(inner.Visible()) << "the flag reads back as last set";
    EXPECT_EQ(clicks, 1);
}

TEST(WindowModel, TextAssignmentRaisesChangeNestedAndTypingHonoursMaxLength) {
    TestForm f;
    TextBox box(f, "T", ControlKind::TextBox, nullptr, {}, {}, true, 2);
    std::vector<std::string> seen;
    box.onChange = [&] {
        seen.push_back(box.Text());
        // A rule inside Change that assigns again runs nested, at once.
        if (box.Text() == "ab") box.setText("AB");
        seen.push_back("after:" + box.Text());
    };
    box.userType("abc");
    EXPECT_EQ(box.Text(), "AB");
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "after:a", "ab", "AB", "after:AB", "after:AB"}));
    // A program assignment is not cut at the maximum length.
    box.setText("xyz");
    EXPECT_EQ(box.Text(), "xyz");
}

TEST(WindowModel, ListIndexRaisesClickEveryTime) {
    TestForm f;
    ComboBox list(f, "C", ControlKind::ComboBox, nullptr, {}, {}, true, true);
    int clicks = 0;
    list.onClick = [&] { ++clicks; };
    list.AddItem("a");
    list.AddItem("b");
    list.setListIndex(0);
    list.setListIndex(0);
    EXPECT_EQ(clicks, 2);
    list.setVisible(false);
    EXPECT_FALSE(list.userSelect(1));
    EXPECT_EQ(list.ListIndex(), 0);
}

TEST(WindowModelText, CharacterHelpersCountCharactersNotBytes) {
    EXPECT_EQ(text::charCount("è:"), 2u);
    EXPECT_EQ(text::leftChars("èx:", 2), "èx");
    EXPECT_EQ(text::midChars("aèb", 1, 1), "è");
    EXPECT_EQ(text::rightChars("aèb", 2), "èb");
    EXPECT_EQ(text::upper("dè:"), "DÈ:");
    EXPECT_EQ(text::trimBlanks("  1\r\n "), "1\r\n");
    EXPECT_EQ(text::trimBlanks("   "), "");
}

}  // namespace
}  // namespace ortavia
