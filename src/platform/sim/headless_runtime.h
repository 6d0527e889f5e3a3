// Simulated Windows machine — headless window runtime.
// What may live here: the WindowRuntime that runs the window model on Linux
// without a screen: events delivered one at a time on one thread, a virtual
// clock for the timers, message boxes answered from a queue, and an end of
// the program that unwinds at once (ProgramEnded).  It journals what the user
// would have seen through the machine.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>

#include "platform/sim/machine.h"
#include "platform/window_runtime.h"
#include "setup/window_model.h"

namespace ortavia::sim {

// A message box nobody scripted an answer for, or an answer the box does not
// offer.  Unwinds like the end of the program; never caught by the logic.
struct ScriptFault {
    std::string reason;
};

class HeadlessRuntime : public WindowRuntime, public ModelObserver {
public:
    explicit HeadlessRuntime(SimMachine& machine);
    ~HeadlessRuntime() override;

    // --- driving the window ----------------------------------------------------
    // Load (Form_Load), show, Activate.  Returns false when the program ended
    // during start-up.
    bool start(Form& form);
    bool ended() const;

    // The virtual clock (milliseconds since the start).
    std::uint64_t now() const;
    // Advances the clock; enabled timers tick at their due times (at top level).
    void wait(std::uint64_t ms);

    // Answers for the next message boxes, in order.  `thinkMs` is how long the
    // user looks at the box before answering: the clock runs meanwhile and
    // timer ticks are delivered nested inside the box.
    void queueAnswer(int answer, std::uint64_t thinkMs = 0);
    std::size_t pendingAnswers() const;

    // Events posted here run at the next doEvents() (or the next top-level
    // delivery), as queued window messages do.
    void post(std::function<void()> event);
    // Called at every doEvents() with its running count (1-based), before the
    // posted events run: lets a test inject input at an exact yield.
    void onYield(std::function<void(std::uint64_t)> hook);
    std::uint64_t yieldCount() const;

    // State a test can read.
    int formMousePointer() const;
    int screenMousePointer() const;

    // --- WindowRuntime ---------------------------------------------------------
    int messageBox(const std::string& text, int style, const std::string& title) override;
    void doEvents() override;
    [[noreturn]] void endProgram() override;
    [[noreturn]] void reportUnhandledError(const SetupError& error) override;
    void beep() override;
    bool anotherCopyRunning() override;
    std::string appPath() override;
    void randomize() override;
    float rnd() override;
    void setFormMousePointer(int pointer) override;
    void setScreenMousePointer(int pointer) override;
    void bringToFront() override;
    void linkOpen(const std::string& topic) override;
    void linkExecute(const std::string& command, int timeoutTenths) override;
    void linkClose() override;

    // --- ModelObserver -----------------------------------------------------------
    void controlChanged(Control& control) override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace ortavia::sim
