// The headless runtime on a small window of its own and a machine that only
// keeps the journal: nesting inside yields and message boxes, the virtual
// clock, the unhandled-error report and the end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/sim/headless_runtime.h"
#include "setup/setup1.h"

namespace ortavia::sim {
namespace {

using Journal = std::vector<std::vector<std::string>>;

// Only what the runtime touches: the journal, the setup folder and the
// another-copy query.
class JournalOnlyMachine : public SimMachine {
public:
    Journal journal;
    bool otherCopy = false;

    WindowsServices& services() override { std::abort(); }
    void log(const std::vector<std::string>& fields) override { journal.push_back(fields); }
    const std::filesystem::path& folder() const override { return folder_; }
    std::string setupFolder() const override { return "C:\\Users\\Utente\\Downloads"; }
    bool anotherCopyRunning() const override { return otherCopy; }
    bool lockInstance() override { return true; }
    void unlockInstance() override {}
    bool restartPending() const override { return false; }
    std::vector<std::string> restartAndTakeRunOnce() override { return {}; }
    bool fileExists(const std::string&) const override { return false; }
    bool folderExists(const std::string&) const override { return false; }
    std::optional<std::vector<std::uint8_t>> readFileBytes(const std::string&) const override { return {}; }
    std::filesystem::path hostPath(const std::string&) const override { return {}; }
    std::optional<std::string> programOf(const std::string&) const override { return {}; }
    void addDrive(const DriveSpec&) override {}
    void addFolder(const std::string&) override {}
    void addFile(const std::string&, const std::vector<std::uint8_t>&) override {}
    void setDword(RegKey, const std::string&, const std::string&, std::uint32_t) override {}
    void setString(RegKey, const std::string&, const std::string&, const std::string&) override {}
    void deleteValue(RegKey, const std::string&, const std::string&) override {}
    std::optional<RegValue> value(RegKey, const std::string&, const std::string&) const override { return {}; }
    void setLocked(const std::string&, bool) override {}
    void setReadOnly(const std::string&, bool) override {}
    void setDiskFull(char, bool) override {}
    void setRunning(const std::string&, bool) override {}
    void setWindowsVersion(int, int) override {}
    void setAnotherCopyRunning(bool) override {}
    void setShellFolder(std::int32_t, const std::string&) override {}

private:
    std::filesystem::path folder_;
};

// A window with a button, an Abort button and one timer, enough to build the
// nested cases.
class TinyForm : public Form {
public:
    explicit TinyForm(HeadlessRuntime& rt)
        : Form("tiny", {0, 0, 6000, 5250}),
          rt_(rt),
          Go(*this, "Go", nullptr, {}, {}, "Go", true),
          Abort(*this, "Abort", nullptr, {}, {}, "Abort", true),
          Tick(*this, "Tick", 800) {
        Abort.onClick = [this] {
            if (rt_.messageBox("Stop?", kMbYesNo + kMbIconQuestion + kMbDefButton2, "t") == kIdYes) rt_.endProgram();
        };
        Tick.onTimer = [this] { ticks.push_back(rt_.now()); };
    }
    std::function<void()> onLoad;
    std::function<void()> onActivate;
    void Form_Load() override {
        if (onLoad) onLoad();
    }
    void Form_Activate() override {
        if (onActivate) onActivate();
    }

    HeadlessRuntime& rt_;
    Label Go;
    Label Abort;
    Timer Tick;
    std::vector<std::uint64_t> ticks;
};

std::vector<std::string> kinds(const Journal& j) {
    std::vector<std::string> out;
    for (const auto& e : j) out.push_back(e.at(0));
    return out;
}

TEST(HeadlessRuntime, StartShowsTheWindowOnlyWhenLoadDidNotEndTheProgram) {
    for (const bool endInLoad : {false, true}) {
        JournalOnlyMachine m;
        HeadlessRuntime rt(m);
        TinyForm f(rt);
        bool activated = false;
        f.onLoad = [&] {
            if (endInLoad) rt.endProgram();
        };
        f.onActivate = [&] { activated = true; };
        EXPECT_EQ(rt.start(f), !endInLoad);
        EXPECT_EQ(activated, !endInLoad);
        EXPECT_EQ(kinds(m.journal), endInLoad ? std::vector<std::string>{"end"} : std::vector<std::string>{"show"});
    }
}

TEST(HeadlessRuntime, TimersTickAtDueTimesOnlyWhileEnabledAndRestartWhenSwitchedOnAgain) {
    JournalOnlyMachine m;
    HeadlessRuntime rt(m);
    TinyForm f(rt);
    ASSERT_TRUE(rt.start(f));
    rt.wait(5000);
    EXPECT_TRUE(f.ticks.empty()) << "a disabled timer never ticks";

    f.Tick.setEnabled(true);  // at 5000
    rt.wait(1700);
    EXPECT_EQ(f.ticks, (std::vector<std::uint64_t>{5800, 6600}));
    rt.wait(300);  // 7000: switched off before its third tick at 7400 and on again
    f.Tick.setEnabled(false);
    rt.wait(100);
    f.Tick.setEnabled(true);  // at 7100: the interval starts again
    rt.wait(800);
    EXPECT_EQ(f.ticks, (std::vector<std::uint64_t>{5800, 6600, 7900}));
    rt.doEvents();
    EXPECT_EQ(f.ticks.size(), 3u) << "a yield does not move the clock";
}

TEST(HeadlessRuntime, TimerTicksNestInsideAMessageBoxForItsThinkTime) {
    JournalOnlyMachine m;
    HeadlessRuntime rt(m);
    TinyForm f(rt);
    bool inBox = false;
    std::vector<bool> tickInsideBox;
    f.Tick.onTimer = [&] { tickInsideBox.push_back(inBox); };
    f.Go.onClick = [&] {
        f.Tick.setEnabled(true);
        inBox = true;
        EXPECT_EQ(rt.messageBox("Think", kMbOkCancel, "Q"), kIdCancel);
        inBox = false;
    };
    ASSERT_TRUE(rt.start(f));
    rt.queueAnswer(kIdCancel, 1700);
    rt.deliver([&] { f.Go.userClick(); });
    EXPECT_EQ(tickInsideBox, (std::vector<bool>{true, true})) << "ticks at 800 and 1600, while the box is open";
    EXPECT_EQ(rt.now(), 1700u);
    rt.wait(700);  // the next due time, 2400, comes at top level
    EXPECT_EQ(tickInsideBox, (std::vector<bool>{true, true, false}));
    ASSERT_EQ(m.journal.size(), 2u);
    EXPECT_EQ(m.journal[1], (std::vector<std::string>{"msgbox", "1", "Q", "Think", "2"}));
}

TEST(HeadlessRuntime, AbortPostedAtAYieldEndsTheRunningHandlerAndNothingRunsAfterTheEnd) {
    JournalOnlyMachine m;
    HeadlessRuntime rt(m);
    TinyForm f(rt);
    int steps = 0;
    f.Go.onClick = [&] {
        f.Tick.setEnabled(true);
        for (int i = 0; i < 10; ++i) {
            ++steps;
            rt.doEvents();
        }
        ADD_FAILURE() << "the handler went on after the end";
    };
    rt.onYield([&](std::uint64_t n) {
        if (n == 3) rt.post([&] { f.Abort.userClick(); });
    });
    ASSERT_TRUE(rt.start(f));
    rt.queueAnswer(kIdYes);
    EXPECT_TRUE(rt.deliver([&] { f.Go.userClick(); }));
    EXPECT_EQ(steps, 3);
    EXPECT_TRUE(rt.ended());
    EXPECT_EQ(kinds(m.journal), (std::vector<std::string>{"show", "msgbox", "end"}));

    // After the end: no tick, no posted event, no delivery.
    bool ran = false;
    rt.post([&] { ran = true; });
    rt.wait(10000);
    EXPECT_FALSE(rt.deliver([&] { ran = true; }));
    EXPECT_FALSE(ran);
    EXPECT_TRUE(f.ticks.empty());
    EXPECT_THROW(rt.doEvents(), ProgramEnded);
    EXPECT_EQ(m.journal.size(), 3u) << "`end` is journaled once";
}

TEST(HeadlessRuntime, AbortAnsweredNoLeavesTheRunGoingOn) {
    JournalOnlyMachine m;
    HeadlessRuntime rt(m);
    TinyForm f(rt);
    int steps = 0;
    f.Go.onClick = [&] {
        for (int i = 0; i < 5; ++i) {
            ++steps;
            rt.doEvents();
        }
    };
    rt.onYield([&](std::uint64_t n) {
        if (n == 2) rt.post([&] { f.Abort.userClick(); });
    });
    ASSERT_TRUE(rt.start(f));
    rt.queueAnswer(kIdNo);
    rt.deliver([&] { f.Go.userClick(); });
    EXPECT_EQ(steps, 5);
    EXPECT_FALSE(rt.ended());
    EXPECT_EQ(rt.yieldCount(), 5u);
}

TEST(HeadlessRuntime, ASetupErrorEscapingAHandlerGetsTheRuntimeReportThenTheEnd) {
    JournalOnlyMachine m;
    HeadlessRuntime rt(m);
    TinyForm f(rt);
    bool after = false;
    f.Go.onClick = [&] {
        throw SetupError(err::kPathNotFound);
    };
    f.Tick.onTimer = [&] { after = true; };
    ASSERT_TRUE(rt.start(f));
    f.Tick.setEnabled(true);
    rt.queueAnswer(kIdOk);
    rt.deliver([&] { f.Go.userClick(); });
    EXPECT_TRUE(rt.ended());
    ASSERT_EQ(m.journal.size(), 3u);
    EXPECT_EQ(m.journal[1], (std::vector<std::string>{"msgbox", "16", kAppTitle,
                                                      "Errore di run-time '76':\r\n\r\nImpossibile trovare il percorso",
                                                      "1"}));
    EXPECT_EQ(m.journal[2], std::vector<std::string>{"end"});
    rt.wait(5000);
    EXPECT_FALSE(after);
}

TEST(HeadlessRuntime, UnansweredOrUnofferedAnswersFaultNamingTheBox) {
    struct Case {
        std::vector<int> answers;
        int style;
        std::string expected;
    };
    const std::vector<Case> cases{
        {{}, kMbOk, "has no scripted answer"},
        {{kIdOk}, kMbYesNo, "answer 1 is not offered"},
        {{kIdYes}, kMbOkCancel, "answer 6 is not offered"},
        {{kIdNo}, 3, ""},  // Yes/No/Cancel offers No
        {{kIdCancel}, 5, ""},
        {{4}, 2, ""},
        {{kIdCancel}, 2, "which has Abort/Retry/Ignore"},
    };
    for (const Case& c : cases) {
        JournalOnlyMachine m;
        HeadlessRuntime rt(m);
        TinyForm f(rt);
        ASSERT_TRUE(rt.start(f));
        for (int a : c.answers) rt.queueAnswer(a, 0, "line 4");
        f.Go.onClick = [&] { rt.messageBox("Il Controllo\r\nAccount", c.style, "Setup di Ortavia-on-line"); };
        if (c.expected.empty()) {
            EXPECT_NO_THROW(rt.deliver([&] { f.Go.userClick(); })) << c.style;
            continue;
        }
        try {
            rt.deliver([&] { f.Go.userClick(); });
            ADD_FAILURE() << "no fault for style " << c.style;
        } catch (const ScriptFault& fault) {
            EXPECT_NE(fault.reason.find(c.expected), std::string::npos) << fault.reason;
            EXPECT_NE(fault.reason.find("\"Setup di Ortavia-on-line\": \"Il Controllo  Account\""), std::string::npos)
                << fault.reason;
            EXPECT_EQ(fault.reason.find('\n'), std::string::npos) << "one line";
            if (!c.answers.empty()) {
                EXPECT_EQ(fault.reason.rfind("line 4: ", 0), 0u) << fault.reason;
            }
        }
        EXPECT_TRUE(rt.faulted());
        EXPECT_FALSE(rt.deliver([] {})) << "nothing runs after a fault";
    }
}

TEST(HeadlessRuntime, ShutdownClosesTheProgramWithoutItsEnd) {
    JournalOnlyMachine m;
    HeadlessRuntime rt(m);
    TinyForm f(rt);
    ASSERT_TRUE(rt.start(f));
    f.Tick.setEnabled(true);
    rt.shutdown();
    rt.wait(2000);
    EXPECT_TRUE(rt.ended());
    EXPECT_TRUE(f.ticks.empty());
    EXPECT_EQ(kinds(m.journal), (std::vector<std::string>{"show", "shutdown"}));
}

TEST(HeadlessRuntime, RndStaysBelowOneAndFollowsTheClock) {
    JournalOnlyMachine m;
    HeadlessRuntime a(m);
    HeadlessRuntime b(m);
    std::vector<float> first;
    for (int i = 0; i < 200; ++i) {
        a.wait(800);
        a.randomize();
        const float r = a.rnd();
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(r, 1.0f);
        first.push_back(r);
        b.wait(800);
        b.randomize();
        EXPECT_EQ(b.rnd(), r) << "the same clock gives the same draw";
    }
    std::sort(first.begin(), first.end());
    EXPECT_GT(std::unique(first.begin(), first.end()) - first.begin(), 150) << "reseeding varies with the clock";
}

}  // namespace
}  // namespace ortavia::sim
