// Scripts: the parser's errors, and playing on a real simulated machine with
// the exit statuses and one-line reasons the tool reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
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

// The example scripts under tests/scripts play through on the default
// machine and leave UAC as their user chose.
TEST(ScriptPlay, ExampleScriptsPlayOnTheDefaultMachine) {
    const std::filesystem::path scripts = std::filesystem::path(__FILE__).parent_path() / "../../scripts";
    struct Case {
        const char* file;
        std::uint32_t enableLuaAfter;
    };
    for (const Case& c : {Case{"complete_installation.txt", 1}, Case{"decline_uac.txt", 1},
                          Case{"abort_on_agreement.txt", 0}, Case{"other_drive_keep_uac_off.txt", 0}}) {
        std::ifstream in(scripts / c.file, std::ios::binary);
        ASSERT_TRUE(in) << c.file;
        std::ostringstream text;
        text << in.rdbuf();
        SimFixture fx;
        const PlayResult r = fx.play(text.str());
        EXPECT_EQ(r.status, kPlayed) << c.file << ": " << r.reason;
        EXPECT_EQ(fx.journal().back(), std::vector<std::string>{"end"}) << c.file;
        const auto lua = fx.machine().value(kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
                                            "EnableLUA");
        ASSERT_TRUE(lua.has_value()) << c.file;
        ASSERT_EQ(lua->data.size(), 4u);
        EXPECT_EQ(lua->data[0], c.enableLuaAfter) << c.file;
    }
}

// --- the tool ---------------------------------------------------------------------

namespace fs = std::filesystem;

std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the ortavia-sim built beside this test program.
class OrtaviaSimTool : public ::testing::Test {
protected:
    void SetUp() override {
        tool_ = fs::read_symlink("/proc/self/exe").parent_path() / "ortavia-sim";
        if (!fs::exists(tool_)) GTEST_SKIP() << "ortavia-sim is not built beside the tests";
    }

    ToolRun run(const std::string& args, const std::string& script = {}) {
        const fs::path work = fx_.dir().parent_path();
        std::string line = tool_.string() + " " + args;
        if (!script.empty()) {
            std::ofstream(work / "play.txt", std::ios::binary) << script;
            line += " --script " + (work / "play.txt").string();
        }
        line += " >" + (work / "out.txt").string() + " 2>" + (work / "err.txt").string() + "; echo $? >" +
                (work / "status.txt").string();
        ToolRun r;
        if (std::system(line.c_str()) != 0) return r;
        r.status = std::stoi(slurp(work / "status.txt"));
        r.out = slurp(work / "out.txt");
        r.err = slurp(work / "err.txt");
        return r;
    }

    std::string machineArg() const { return "--machine " + fx_.dir().string(); }

    SimFixture fx_;
    fs::path tool_;
};

std::size_t lineCount(const std::string& s) { return static_cast<std::size_t>(std::count(s.begin(), s.end(), '\n')); }

TEST_F(OrtaviaSimTool, BadScriptsAndMachinesExitWithTwoAndOneLineChangingNothing) {
    const fs::path unborn = fx_.dir().parent_path() / "not-yet";
    ToolRun r = run("--machine " + unborn.string(), "answer 1\nwiggle Label14\n");
    EXPECT_EQ(r.status, kBadInput);
    EXPECT_NE(r.err.find("play.txt line 2: unknown action \"wiggle\""), std::string::npos) << r.err;
    EXPECT_EQ(lineCount(r.err), 1u);
    EXPECT_FALSE(fs::exists(unborn)) << "a bad script leaves no machine behind";

    const std::string journalBefore = slurp(journalFile(fx_.machine()));
    r = run(machineArg(), "answer 1\nclick Avanti\n");
    EXPECT_EQ(r.status, kBadInput);
    EXPECT_NE(r.err.find("line 2: unknown control \"Avanti\""), std::string::npos) << r.err;
    EXPECT_EQ(lineCount(r.err), 1u);
    EXPECT_EQ(slurp(journalFile(fx_.machine())), journalBefore);

    r = run(machineArg() + " --script " + (fx_.dir() / "nothing-here.txt").string());
    EXPECT_EQ(r.status, kBadInput);
    EXPECT_NE(r.err.find("cannot read the script"), std::string::npos) << r.err;

    r = run("--machne x");
    EXPECT_EQ(r.status, kBadInput);
    EXPECT_NE(r.err.find("usage:"), std::string::npos) << r.err;

    std::ofstream(fx_.dir() / "machine.ini", std::ios::app) << "\n[drives]\nthis is not a setting\n";
    r = run(machineArg(), "answer 1\n");
    EXPECT_EQ(r.status, kBadInput);
    EXPECT_NE(r.err.find("machine.ini"), std::string::npos) << r.err;
    EXPECT_EQ(lineCount(r.err), 1u);
}

TEST_F(OrtaviaSimTool, AnUnansweredBoxStopsThePlayWithStatusOne) {
    const ToolRun r = run(machineArg(), "wait 10\n");
    EXPECT_EQ(r.status, kPlayStopped);
    EXPECT_EQ(r.err.rfind("ortavia-sim: at start-up: the message box \"Setup di Ortavia-on-line\"", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("has no scripted answer"), std::string::npos) << r.err;
    EXPECT_EQ(lineCount(r.err), 1u);
}

TEST_F(OrtaviaSimTool, ASecondCopyOnALockedMachineEndsSilently) {
    // This process holds the machine's instance lock, as a running
    // ortavia-sim would.
    ASSERT_TRUE(fx_.machine().lockInstance());
    ToolRun r = run(machineArg(), "answer 1\nanswer 1\nclick Label14\n");
    EXPECT_EQ(r.status, kPlayStopped);
    EXPECT_NE(r.err.find("line 3: \"click Label14\" left unplayed: the setup had ended (at start-up)"),
              std::string::npos)
        << r.err;
    EXPECT_TRUE(fx_.events("msgbox").empty()) << "no message";
    EXPECT_TRUE(fx_.events("show").empty()) << "no window";
    EXPECT_EQ(fx_.events("end").size(), 1u);

    fx_.machine().unlockInstance();
    r = run(machineArg(), "answer 2\nanswer 1\n");
    EXPECT_EQ(r.status, kPlayed) << r.err;
    EXPECT_EQ(fx_.events("msgbox").size(), 2u) << "with the lock gone the setup runs";
}

TEST_F(OrtaviaSimTool, TheBuiltInInstallationOnAFreshMachinePrintsWhatTheUserSaw) {
    const ToolRun r = run("");
    EXPECT_EQ(r.status, kPlayed) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    EXPECT_NE(r.out.find("(a new default machine)"), std::string::npos);
    EXPECT_NE(r.out.find("[page] Finish"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("bytes  C:\\Ortavia_on_line\\Ortavia_on_line.exe"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Result: the whole script was played."), std::string::npos);
    // The temporary machine it made.
    const auto at = r.out.find("Machine folder: ");
    ASSERT_NE(at, std::string::npos);
    const std::string dir = r.out.substr(at + 16, r.out.find("  (", at) - at - 16);
    EXPECT_TRUE(fs::exists(fs::path(dir) / "machine.ini")) << dir;
    fs::remove_all(fs::path(dir).parent_path());
}

}  // namespace
}  // namespace ortavia::sim
