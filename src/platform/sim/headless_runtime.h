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
#include <memory>
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
    // The window has been shown (Load did not end the program).
    bool shown() const;
    // True once a ScriptFault has been thrown: the run stopped in the middle
    // of a handler and nothing of it may run any more.
    bool faulted() const;

    // Delivers one user event (a click, keystrokes...) at top level, as the
    // message loop would: posted events run first, then `event`, wrapped like
    // every event the runtime dispatches (an escaping SetupError gets the
    // runtime's report).  Returns false when the program had already ended,
    // so nothing ran.  The end of the program stops here; a ScriptFault
    // passes through to the caller.
    bool deliver(const std::function<void()>& event);

    // The computer shuts down under the running program: it is closed without
    // running anything more.  Journals `shutdown` (not `end`: the program did
    // not end itself).
    void shutdown();

    // The virtual clock (milliseconds since the start).
    std::uint64_t now() const;
    // Advances the clock; enabled timers tick at their due times (at top level).
    void wait(std::uint64_t ms);

    // Answers for the next message boxes, in order.  `thinkMs` is how long the
    // user looks at the box before answering: the clock runs meanwhile and
    // timer ticks are delivered nested inside the box.
    // `origin` names where the answer came from (a script line) in the reason
    // of a ScriptFault when the box does not offer it.
    void queueAnswer(int answer, std::uint64_t thinkMs = 0, std::string origin = {});
    std::size_t pendingAnswers() const;

    // Events posted here run at the next doEvents() (or the next top-level
    // delivery), as queued window messages do.
    void post(std::function<void()> event);
    // Called at every doEvents() with its running count (1-based), before the
    // posted events run: lets a test inject input at an exact yield.
    void onYield(std::function<void(std::uint64_t)> hook);
    std::uint64_t yieldCount() const;
    // Called after every change of the window model (a watcher such as the
    // script player's page tracker; it must not drive the window).
    void onControlChanged(std::function<void(Control&)> hook);

    // State a test can read.
    int formMousePointer() const;
    int screenMousePointer() const;
    std::uint64_t bringToFrontCount() const;
    bool linkIsOpen() const;  // a DDE conversation is open

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
    // Runs one handler as the runtime does (see the .cpp).
    void dispatch(const std::function<void()>& handler);
    void runPosted();
    // Moves the clock to `target`, ticking the enabled timers on the way.
    void runTicks(std::uint64_t target);
    // Stops ProgramEnded at top level; nested code lets it pass.
    template <typename F>
    void topLevel(F&& f);

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace ortavia::sim
