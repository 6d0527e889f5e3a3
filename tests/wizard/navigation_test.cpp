// Next, Abort, the step counter and the finishing timer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/sim_fixture.h"

namespace ortavia::sim {
namespace {

// The headless runtime with the random numbers a test chooses.
class ChosenRandomRuntime : public WindowRuntime {
public:
    explicit ChosenRandomRuntime(HeadlessRuntime& inner) : inner_(inner) {}
    std::vector<float> draws;  // returned in order; the last one repeats

    int messageBox(const std::string& t, int s, const std::string& ti) override { return inner_.messageBox(t, s, ti); }
    void doEvents() override { inner_.doEvents(); }
    [[noreturn]] void endProgram() override { inner_.HeadlessRuntime::endProgram(); }
    [[noreturn]] void reportUnhandledError(const SetupError& e) override { inner_.HeadlessRuntime::reportUnhandledError(e); }
    void beep() override { inner_.beep(); }
    bool anotherCopyRunning() override { return inner_.anotherCopyRunning(); }
    std::string appPath() override { return inner_.appPath(); }
    void randomize() override { inner_.randomize(); }
    float rnd() override {
        const float r = draws.at(next_);
        if (next_ + 1 < draws.size()) ++next_;
        return r;
    }
    void setFormMousePointer(int p) override { inner_.setFormMousePointer(p); }
    void setScreenMousePointer(int p) override { inner_.setScreenMousePointer(p); }
    void bringToFront() override { inner_.bringToFront(); }
    void linkOpen(const std::string& t) override { inner_.linkOpen(t); }
    void linkExecute(const std::string& c, int t) override { inner_.linkExecute(c, t); }
    void linkClose() override { inner_.linkClose(); }

private:
    HeadlessRuntime& inner_;
    std::size_t next_ = 0;
};

// Walks the wizard from the welcome page to the page named.
void walkTo(SimFixture& fx, const std::string& page) {
    if (page == "welcome") return;
    fx.click("Label14");
    if (page == "agreement") return;
    fx.form().Check1.userToggle();
    fx.wait(1000);
    if (page == "accepted") return;
    fx.click("Label14");
}

TEST(Navigation, NextWalksTheStepsAndTheCounterStopsAtTen) {
    SimFixture fx(uacOff);
    ASSERT_TRUE(fx.start());
    auto& form = fx.form();
    EXPECT_EQ(currentPage(form), "Welcome");

    fx.click("Label14");
    EXPECT_FALSE(form.label27.Visible());
    EXPECT_TRUE(form.Picture9.Visible());
    EXPECT_FALSE(form.Label14.Enabled());
    EXPECT_FALSE(form.Text4.Text().empty());
    EXPECT_EQ(form.WizardStep, 1);

    // While the panel is up a click on Next is ignored, even if Next were enabled.
    form.Label14.setEnabled(true);
    fx.click("Label14");
    EXPECT_EQ(form.WizardStep, 1);

    form.WizardStep = 3;
    for (int i = 0; i < 12; ++i) {
        form.Label14.setEnabled(true);
        form.NextStep();
        EXPECT_FALSE(form.Label14.Enabled());
    }
    EXPECT_EQ(form.WizardStep, 10);
}

TEST(Navigation, AbortAsksOnEveryPageAndOnlyYesEnds) {
    for (const std::string page : {"welcome", "agreement", "accepted", "destination"}) {
        for (const int answer : {kIdNo, kIdYes}) {
            SimFixture fx(uacOff);
            ASSERT_TRUE(fx.start());
            walkTo(fx, page);
            const std::string before = currentPage(fx.form());
            const auto stepBefore = fx.form().WizardStep;
            SCOPED_TRACE(page + " answered " + std::to_string(answer) + " on page " + before);
            fx.rt().queueAnswer(answer);
            fx.click("Label15");  // false when the click ended the program
            const auto boxes = fx.events("msgbox");
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0][1], "292");
            EXPECT_EQ(boxes[0][2], "Setup di 'Ortavia-on-line'");
            EXPECT_EQ(boxes[0][3], "Si desidera interrompere l'installazione?");
            EXPECT_EQ(fx.ended(), answer == kIdYes);
            if (answer == kIdNo) {
                EXPECT_EQ(currentPage(fx.form()), before);
                EXPECT_EQ(fx.form().WizardStep, stepBefore);
            }
        }
    }
}

TEST(Navigation, AbortDuringTheRunEndsBeforeTheNextFileIsOpened) {
    SimFixture fx(uacOff);
    ASSERT_TRUE(fx.start());
    walkTo(fx, "destination");
    // Abort is clicked while the executable's pixels are being read: the
    // click waits in the queue and runs at one of the run's yields.
    const auto base = fx.rt().yieldCount();
    bool posted = false;
    fx.rt().onYield([&](std::uint64_t n) {
        if (!posted && n > base + 50) {
            posted = true;
            fx.rt().post([&] { fx.form().Label15.userClick(); });
        }
    });
    fx.rt().queueAnswer(kIdYes);
    fx.click("Label14");
    ASSERT_TRUE(posted);
    EXPECT_TRUE(fx.ended());
    EXPECT_TRUE(fx.machine().folderExists("C:\\Ortavia_on_line\\Testi_locali")) << "nothing is undone";
    EXPECT_FALSE(fx.machine().fileExists("C:\\Ortavia_on_line\\Ortavia_on_line.exe"));
}

TEST(Navigation, FinishPageAndFineEndAtOnce) {
    SimFixture fx(uacOff);
    ASSERT_TRUE(fx.start());
    auto& form = fx.form();
    // A fill already full (or wider than the track) finishes on the first tick.
    form.Picture3.setWidth(kProgressScale + 3.0f);
    form.Label9.setVisible(true);
    form.Picture2.setVisible(true);
    fx.rt().setFormMousePointer(kPointerHourglass);
    form.Timer1.setEnabled(true);
    fx.wait(799);
    EXPECT_FALSE(form.Label3.Visible());
    fx.wait(1);
    EXPECT_FALSE(form.Timer1.Enabled());
    EXPECT_FALSE(form.Label9.Visible());
    EXPECT_FALSE(form.Picture2.Visible());
    EXPECT_TRUE(form.Label3.Visible());
    EXPECT_TRUE(form.Label17.isSeen());
    EXPECT_EQ(form.Label14.Caption(), "Fine");
    EXPECT_TRUE(form.Label14.Enabled());
    EXPECT_FALSE(form.Label15.Enabled());
    EXPECT_FALSE(fx.click("Label15")) << "Abort is disabled on the finish page";
    EXPECT_EQ(fx.rt().formMousePointer(), kPointerDefault);
    EXPECT_EQ(fx.machine().services().currentDirectory(), "C:\\Users\\Utente\\Downloads");

    const auto before = fx.journal().size();
    fx.click("Label14");
    EXPECT_TRUE(fx.ended());
    const auto journal = fx.journal();
    ASSERT_EQ(journal.size(), before + 1) << "Fine starts nothing and touches nothing";
    EXPECT_EQ(journal.back()[0], "end");
}

TEST(Navigation, TimerStepsFollowTheRandomDraw) {
    SimFixture fx(uacOff);
    ChosenRandomRuntime chosen(fx.rt());
    Setup1 form(fx.machine().services(), chosen, SetupContent{});
    ASSERT_TRUE(fx.rt().start(form));
    const float start = form.Picture3.Width();

    chosen.draws = {0.2f, 0.999f};  // 0.2 * S * 0.1 < 1: a step of 0; then a step of 4
    form.Timer1.setEnabled(true);
    fx.wait(800);
    EXPECT_EQ(form.Picture3.Width(), start) << "a tick whose step is 0 leaves the fill as it was";
    EXPECT_TRUE(form.Timer1.Enabled());
    fx.wait(800);
    EXPECT_EQ(form.Picture3.Width(), start + 4.0f);
    // 4 units a tick: the track of S = 42.9 is full after ten more ticks.
    fx.wait(800 * 10);
    EXPECT_FALSE(form.Timer1.Enabled());
    EXPECT_TRUE(form.Label3.Visible());
}

}  // namespace
}  // namespace ortavia::sim
