#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "wizard/wizard_support.h"

namespace ortavia {
namespace {

using sim::DriveType;
using sim::SimFixture;
using sim::SimMachine;
using wizard_test::fixedDisk;
using wizard_test::toDestination;
using sim::uacOff;

const std::string kRefusal = "'Ortavia-on-line' può essere installato solo su disco rigido!";

struct Action {
    enum Kind { Type, Paste, Blur } kind;
    std::string text;
};

struct BoxCase {
    const char* name;
    std::function<void(SimMachine&)> machine;  // on top of: UAC off, D: fixed, E: optical
    std::string winDir;                        // replaces WinDir before the page when not empty
    std::vector<Action> actions;
    // The text the box held at the start of every run of its rules, from the
    // page's own assignment on: nested runs show up in the order they ran.
    std::vector<std::string> runs;
    std::size_t refusals;
    std::string finalText;
};

const BoxCase kBoxCases[] = {
    {"the page fills in the Windows drive", {}, "", {}, {"C:"}, 0, "C:"},
    {"d is upper case at once, D: on leaving (and leaving again changes nothing)",
     {}, "", {{Action::Paste, ""}, {Action::Type, "d"}, {Action::Blur, ""}, {Action::Blur, ""}},
     {"C:", "", "d", "D", "D:"}, 0, "D:"},
    {"d then x: D, then Dx completed to D:",
     {}, "", {{Action::Paste, ""}, {Action::Type, "dx"}}, {"C:", "", "d", "D", "Dx", "D:"}, 0, "D:"},
    {"e: on an optical drive is refused once",
     {}, "", {{Action::Paste, ""}, {Action::Type, "e:"}}, {"C:", "", "e", "E", "E:", "C:"}, 1, "C:"},
    {"c: pasted in lower case", {}, "", {{Action::Paste, "c:"}}, {"C:", "c:", "C:"}, 0, "C:"},
    {"the second character, not the first, becomes the colon", {}, "", {{Action::Paste, ":x"}},
     {"C:", ":x", "::", "C:"}, 1, "C:"},
    {"a letter without a drive", {}, "", {{Action::Paste, "x:"}}, {"C:", "x:", "C:"}, 1, "C:"},
    {"a digit and a colon", {}, "", {{Action::Paste, "1:"}}, {"C:", "1:", "C:"}, 1, "C:"},
    {"a lone colon becomes :: on leaving and is refused",
     {}, "", {{Action::Paste, ""}, {Action::Type, ":"}, {Action::Blur, ""}}, {"C:", "", ":", "::", "C:"}, 1, "C:"},
    {"an empty box stays empty", {}, "", {{Action::Paste, ""}, {Action::Blur, ""}}, {"C:", ""}, 0, ""},
    {"typing past two characters is cut", {}, "", {{Action::Paste, ""}, {Action::Type, "d:x"}}, {"C:", "", "d", "D", "D:"}, 0, "D:"},
    // DefaultDrive itself refused: one message per refusal, the fallback stays.
    {"the Windows drive is a network drive",
     [](SimMachine& m) { m.addDrive({'C', DriveType::Remote, true}); }, "", {{Action::Paste, "e:"}},
     {"C:", "e:", "C:"}, 2, "C:"},
    {"the Windows drive, in lower case, names no drive", {}, "z:\\Windows\\", {{Action::Paste, "e:"}},
     {"z:", "Z:", "e:", "z:", "Z:"}, 2, "Z:"},
};

TEST(DriveBox, RulesRunNestedInOrder) {
    for (const BoxCase& c : kBoxCases) {
        SCOPED_TRACE(c.name);
        SimFixture fx([&](SimMachine& m) {
            uacOff(m);
            fixedDisk(m, 'D');
            m.addDrive({'E', DriveType::Cdrom, true});
            if (c.machine) c.machine(m);
        });
        Setup1& f = fx.form();
        std::vector<std::string> runs;
        f.Text2.onChange = [&f, &runs, rules = f.Text2.onChange] {
            runs.push_back(f.Text2.Text());
            rules();
        };
        for (std::size_t i = 0; i < c.refusals; ++i) fx.rt().queueAnswer(kIdOk);
        ASSERT_TRUE(fx.start());
        if (!c.winDir.empty()) f.WinDir = c.winDir;
        toDestination(fx);

        for (const Action& a : c.actions) {
            ASSERT_TRUE(fx.rt().deliver([&] {
                switch (a.kind) {
                    case Action::Type: f.Text2.userType(a.text); break;
                    case Action::Paste: f.Text2.userPaste(a.text); break;
                    case Action::Blur: f.Text2.userLoseFocus(); break;
                }
            }));
        }

        EXPECT_EQ(runs, c.runs);
        EXPECT_EQ(f.Text2.Text(), c.finalText);
        const auto boxes = fx.events("msgbox");
        ASSERT_EQ(boxes.size(), c.refusals);
        for (const auto& e : boxes) {
            EXPECT_EQ(e.at(1), "16");
            EXPECT_EQ(e.at(2), kAppTitle);
            EXPECT_EQ(e.at(3), kRefusal);
        }
        EXPECT_TRUE(f.Label14.Enabled()) << "the box never touches Next";
    }
}

// The one-installation page assigns d: to the hidden box: it passes the
// rules and is upper-cased without a message.
TEST(DriveBox, ProgramAssignmentOfAnInstallationDrivePassesQuietly) {
    SimFixture fx([](SimMachine& m) {
        uacOff(m);
        fixedDisk(m, 'D');
        m.addFolder("D:\\Ortavia_on_line");
    });
    fx.rt().queueAnswer(kIdOk);  // the one-installation message
    ASSERT_TRUE(fx.start());
    toDestination(fx);
    EXPECT_EQ(fx.form().Text2.Text(), "D:");
    EXPECT_EQ(fx.events("msgbox").size(), 1u);
}

}  // namespace
}  // namespace ortavia
