// Scripts: the parser's errors, and playing on a real simulated machine with
// the exit statuses and one-line reasons the tool reports.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/script.h"
#include "support/sim_fixture.h"

namespace ortavia::sim {
namespace {

using Kind = ScriptAction::Kind;

TEST(ScriptParser, ReadsActionsCommentsAndTextsWithBlanks) {
    const Script s = parseScript(
        "# a comment line\n"
        "\n"
        "  ANSWER 1 after 2000   # think first\r\n"
        "type Text2  d e\n"
        "Select combo1 2\n"
        "wait 800\n"
        "reboot\n");
    ASSERT_EQ(s.actions.size(), 5u);
    EXPECT_EQ(s.actions[0].kind, Kind::Answer);
    EXPECT_EQ(s.actions[0].line, 3);
    EXPECT_EQ(s.actions[0].number, 1);
    EXPECT_EQ(s.actions[0].ms, 2000u);
    EXPECT_EQ(s.actions[1].control, "Text2");
    EXPECT_EQ(s.actions[1].text, "d e") << "the text is the rest of the line, inner blanks kept";
    EXPECT_EQ(s.actions[2].number, 2);
    EXPECT_EQ(s.actions[3].ms, 800u);
    EXPECT_EQ(s.actions[4].kind, Kind::Reboot);
}

TEST(ScriptParser, BadLinesNameTheLineAndWhy) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"jump Label14", "unknown action \"jump\""},
        {"click", "needs a control name"},
        {"click Label14 twice", "takes only a control name"},
        {"type Text2", "needs a text"},
        {"select Combo1 first", "entry index"},
        {"select Combo1 -1", "entry index"},
        {"answer 9", "from 1 to 7"},
        {"answer yes", "from 1 to 7"},
        {"answer 1 later 200", "after MS"},
        {"wait", "milliseconds"},
        {"wait 1.5", "milliseconds"},
        {"reboot now", "nothing after it"},
    };
    for (const auto& [line, why] : cases) {
        try {
            parseScript("wait 10\n# fine so far\n" + line + "\nwait 10\n");
            ADD_FAILURE() << "accepted: " << line;
        } catch (const ScriptError& e) {
            EXPECT_EQ(e.line, 3) << line;
            EXPECT_NE(e.why.find(why), std::string::npos) << line << " -> " << e.why;
        }
    }
}

// Controls are checked against the window before anything runs: a bad name
// or an action the control does not take leaves the machine untouched.
TEST(ScriptPlay, UnknownControlsAndWrongActionsAreRejectedBeforeTheSetupStarts) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"click Label99", "line 2: unknown control \"Label99\""},
        {"type Label14 C", "line 2: control \"Label14\" does not take \"type\""},
        {"check Text2", "line 2: control \"Text2\" does not take \"check\""},
        {"select Text2 0", "line 2: control \"Text2\" does not take \"select\""},
    };
    for (const auto& [line, reason] : cases) {
        SimFixture fx;
        const PlayResult r = fx.play("answer 1\n" + line + "\n");
        EXPECT_EQ(r.status, kBadInput) << line;
        EXPECT_EQ(r.reason, reason);
        EXPECT_TRUE(fx.journal().empty()) << "nothing ran on the machine";
    }
    SimFixture fx;
    const PlayResult r = fx.play("answer 1\nwait 10\nwait x\n");
    EXPECT_EQ(r.status, kBadInput);
    EXPECT_EQ(r.reason.rfind("line 3: ", 0), 0u) << r.reason;
    EXPECT_TRUE(fx.journal().empty());
}

// The default machine has UAC on, so start-up asks to switch it off
// (OK/Cancel); declining shows "Installazione interrotta." and ends.
TEST(ScriptPlay, StopsWithOneLineReasons) {
    struct Case {
        std::string script;
        int status;
        std::string reasonStart;
        std::string reasonPart;
    };
    const std::vector<Case> cases{
        {"click Label14\n", kPlayStopped, "at start-up: the message box \"Setup di Ortavia-on-line\": \"Nel computer",
         "has no scripted answer"},
        {"answer 6\n", kPlayStopped, "at start-up: line 1: answer 6 is not offered", "OK/Cancel"},
        {"answer 2\nanswer 1\nclick Label14\n", kPlayStopped, "line 3: \"click Label14\" left unplayed",
         "the setup had ended (at start-up)"},
        {"answer 2\nanswer 1 after 500\n", kPlayed, "", ""},
    };
    for (const Case& c : cases) {
        SimFixture fx;
        const PlayResult r = fx.play(c.script);
        EXPECT_EQ(r.status, c.status) << c.script << r.reason;
        EXPECT_EQ(r.reason.rfind(c.reasonStart, 0), 0u) << r.reason;
        EXPECT_NE(r.reason.find(c.reasonPart), std::string::npos) << r.reason;
        EXPECT_EQ(r.reason.find('\n'), std::string::npos);
    }
}

TEST(ScriptPlay, RebootRunsTheRunOnceCommandsAndStartsOnlyAnExistingSetup) {
    // The setup is declined, then a run-once value naming a setup that is not
    // on the machine: nothing starts after the reboot.
    SimFixture fx([](SimMachine& m) {
        m.setString(kHkeyCurrentUser, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce", "Stale",
                    "C:\\Altrove\\SETUP_Ortavia_on_line.exe");
    });
    const PlayResult r = fx.play("answer 2\nanswer 1\nreboot\nanswer 1\nclick Label14\n");
    EXPECT_EQ(r.status, kPlayStopped);
    EXPECT_EQ(r.reason, "line 4: \"answer 1\" left unplayed: no setup is running (the reboot at line 3 started none)");
    const auto runOnce = fx.events("runonce-run");
    ASSERT_EQ(runOnce.size(), 1u);
    EXPECT_EQ(runOnce[0][2], "missing");
    EXPECT_TRUE(fx.events("shutdown").empty()) << "the setup had already ended";
}

TEST(ScriptPlay, TheBuiltInScriptInstallsThroughTheRebootToTheFinishPage) {
    SimFixture fx;
    const PlayResult r = fx.play(builtInScript());
    ASSERT_EQ(r.status, kPlayed) << r.reason;
    std::vector<std::string> pages;
    for (const SeenItem& item : r.seen) {
        if (item.kind == SeenItem::Kind::Page) pages.push_back(item.fields[0]);
    }
    EXPECT_EQ(pages.back(), "Finish");
    const auto journal = fx.journal();
    std::vector<std::string> kinds;
    for (const auto& e : journal) {
        if (e[0] == "shutdown" || e[0] == "runonce-run" || e[0] == "end" || e[0] == "show") kinds.push_back(e[0]);
    }
    EXPECT_EQ(kinds, (std::vector<std::string>{"show", "shutdown", "runonce-run", "show", "end"}));
    EXPECT_EQ(fx.events("runonce-run")[0][2], "setup");
    EXPECT_TRUE(fx.machine().fileExists("C:\\Ortavia_on_line\\Ortavia_on_line.exe"));
    EXPECT_FALSE(fx.machine().anotherCopyRunning()) << "the lock went with the end";
}

}  // namespace
}  // namespace ortavia::sim
