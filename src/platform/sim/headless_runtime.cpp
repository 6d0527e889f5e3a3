// The headless window runtime: the setup's window runs without a screen, on
// one thread and a virtual clock, the way the Windows message loop would run
// it.
//
// Event model
// - Top level is the idle message loop: deliver() (a user event) and wait()
//   (time passes) are its only entries.  Posted events run first, as queued
//   messages do.
// - doEvents() runs what is pending: the yield hook, then posted events, then
//   timer ticks already due.  Windows hands out WM_TIMER only when no other
//   message is queued, hence that order.
// - A modal message box runs its own loop: the owner window is disabled, so
//   no click or posted user event reaches it, but WM_TIMER still does.  Ticks
//   due when it opens and ticks falling into the user's think time run
//   nested inside the box.
// - Timers tick only when the virtual clock moves: in wait() at top level and
//   during a box's think time.  Each tick is delivered at its due time and
//   the next due time is set before the handler runs, so a handler that
//   yields does not re-enter itself, while a handler that opens a box with a
//   think time sees its own later ticks nested inside the box (the modal
//   loop dispatches them, as on Windows).
// - Coalescing: Windows keeps at most one pending WM_TIMER per timer however
//   many intervals went by.  Here a timer found overdue (its due time already
//   behind the clock) ticks once and its next due time is the first one after
//   the clock: at most one tick per timer for the due times reached.
// - Switching a timer on again (a new enable generation) restarts its
//   interval from the moment it was switched on.
//
// Ending
// - endProgram() journals `end` once and throws ProgramEnded; the top-level
//   entries stop it, nested code never sees it again.  After the end nothing
//   runs: no tick, no posted event, no message box.
// - Every dispatched event is wrapped: a SetupError escaping its handler gets
//   the runtime's own report, then the end, as the original runtime did.
#include "platform/sim/headless_runtime.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <utility>
#include <vector>

#include "setup/setup1.h"

namespace ortavia::sim {

namespace {

constexpr const char* kRunTimeErrorHead = "Errore di run-time '";
constexpr const char* kRunTimeErrorSeparator = "':\r\n\r\n";

// The message box answers and the buttons each style offers (style & 7).
constexpr int kIdAbort = 3;
constexpr int kIdRetry = 4;
constexpr int kIdIgnore = 5;
constexpr int kIdTryAgain = 10;
constexpr int kIdContinue = 11;

std::vector<int> offeredAnswers(int style) {
    switch (style & 7) {
        case 0: return {kIdOk};
        case 1: return {kIdOk, kIdCancel};
        case 2: return {kIdAbort, kIdRetry, kIdIgnore};
        case 3: return {kIdYes, kIdNo, kIdCancel};
        case 4: return {kIdYes, kIdNo};
        case 5: return {kIdRetry, kIdCancel};
        case 6: return {kIdCancel, kIdTryAgain, kIdContinue};
        default: return {kIdOk};
    }
}

std::string buttonNames(int style) {
    switch (style & 7) {
        case 0: return "OK";
        case 1: return "OK/Cancel";
        case 2: return "Abort/Retry/Ignore";
        case 3: return "Yes/No/Cancel";
        case 4: return "Yes/No";
        case 5: return "Retry/Cancel";
        case 6: return "Cancel/Try Again/Continue";
        default: return "OK";
    }
}

// "the message box "TITLE": "first words of the text..." (style N)", on one line.
std::string nameBox(const std::string& text, int style, const std::string& title) {
    constexpr std::size_t kShown = 60;
    std::string start = text::leftChars(text, kShown);
    for (char& c : start) {
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    }
    if (text::charCount(text) > kShown) start += "...";
    return "the message box \"" + title + "\": \"" + start + "\" (style " + std::to_string(style) + ")";
}

// The virtual day starts at 09:00:00, so the clock the generator is reseeded
// from is "seconds since midnight" as the runtime's Timer function gives it.
constexpr double kDayStartSeconds = 9.0 * 3600.0;
// The runtime's generator: 24-bit linear congruential, initial seed 0x50000.
constexpr std::uint32_t kRndMultiplier = 1140671485u;
constexpr std::uint32_t kRndIncrement = 12820163u;
constexpr std::uint32_t kRndMask = 0xFFFFFFu;
constexpr std::uint32_t kRndInitialSeed = 0x50000u;

}  // namespace

struct HeadlessRuntime::Impl {
    explicit Impl(SimMachine& m) : machine(m) {}

    struct Answer {
        int answer = 0;
        std::uint64_t thinkMs = 0;
        std::string origin;
    };
    struct Schedule {
        std::uint64_t generation = 0;
        std::uint64_t due = 0;
    };

    SimMachine& machine;
    Form* form = nullptr;
    std::uint64_t clock = 0;
    bool ended = false;
    bool faulted = false;
    bool shown = false;
    int depth = 0;  // handlers on the stack
    std::deque<Answer> answers;
    std::deque<std::function<void()>> posted;
    std::function<void(std::uint64_t)> yieldHook;
    std::function<void(Control&)> changeHook;
    std::uint64_t yields = 0;
    std::map<const Timer*, Schedule> schedules;
    int formPointer = kPointerDefault;
    int screenPointer = kPointerDefault;
    std::uint64_t bringToFront = 0;
    std::uint32_t seed = kRndInitialSeed;
    DdeConversation conversation = 0;

    void schedule(const Timer& t) {
        auto it = schedules.find(&t);
        if (it != schedules.end() && it->second.generation == t.enableGeneration()) return;
        schedules[&t] = Schedule{t.enableGeneration(), clock + static_cast<std::uint64_t>(std::max(0, t.Interval()))};
    }

    // The enabled timer due first at or before `limit` (form order breaks ties).
    Timer* nextDue(std::uint64_t limit) {
        if (form == nullptr) return nullptr;
        Timer* best = nullptr;
        std::uint64_t bestDue = 0;
        for (Timer* t : form->timers()) {
            if (!t->Enabled() || t->Interval() <= 0) continue;
            schedule(*t);
            const std::uint64_t due = schedules[t].due;
            if (due > limit) continue;
            if (best == nullptr || due < bestDue) {
                best = t;
                bestDue = due;
            }
        }
        return best;
    }
};

HeadlessRuntime::HeadlessRuntime(SimMachine& machine) : impl_(std::make_unique<Impl>(machine)) {}

HeadlessRuntime::~HeadlessRuntime() = default;

// --- dispatching -----------------------------------------------------------------

namespace {
struct DepthGuard {
    int& depth;
    explicit DepthGuard(int& d) : depth(d) { ++depth; }
    ~DepthGuard() { --depth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
};
}  // namespace

// Runs one event handler as the runtime does: nothing after the end, and an
// error the handler lets escape becomes the runtime's report and the end.
void HeadlessRuntime::dispatch(const std::function<void()>& handler) {
    if (impl_->ended) return;
    DepthGuard guard(impl_->depth);
    try {
        handler();
    } catch (const SetupError& error) {
        reportUnhandledError(error);
    }
}

void HeadlessRuntime::runPosted() {
    while (!impl_->posted.empty() && !impl_->ended) {
        auto next = std::move(impl_->posted.front());
        impl_->posted.pop_front();
        dispatch(next);
    }
}

void HeadlessRuntime::runTicks(std::uint64_t target) {
    while (!impl_->ended) {
        Timer* t = impl_->nextDue(target);
        if (t == nullptr) break;
        auto& s = impl_->schedules[t];
        impl_->clock = std::max(impl_->clock, s.due);
        const auto interval = static_cast<std::uint64_t>(t->Interval());
        // The next due time is set before the handler runs; overdue due times
        // collapse into this one tick.
        s.due += interval * ((impl_->clock - s.due) / interval + 1);
        dispatch([t] {
            if (t->onTimer) t->onTimer();
        });
    }
    impl_->clock = std::max(impl_->clock, target);
}

template <typename F>
void HeadlessRuntime::topLevel(F&& f) {
    try {
        f();
    } catch (const ProgramEnded&) {
        if (impl_->depth > 0) throw;
    }
}

bool HeadlessRuntime::start(Form& form) {
    impl_->form = &form;
    form.setObserver(this);
    for (Timer* t : form.timers()) {
        if (t->Enabled()) impl_->schedule(*t);
    }
    topLevel([&] {
        dispatch([&] { form.Form_Load(); });
        // A window whose program ended during Load is never shown.
        if (impl_->ended) return;
        impl_->shown = true;
        impl_->machine.log({"show"});
        dispatch([&] { form.Form_Activate(); });
    });
    return !impl_->ended;
}

bool HeadlessRuntime::ended() const { return impl_->ended; }
bool HeadlessRuntime::faulted() const { return impl_->faulted; }
bool HeadlessRuntime::shown() const { return impl_->shown; }

bool HeadlessRuntime::deliver(const std::function<void()>& event) {
    if (impl_->ended) return false;
    topLevel([&] {
        runPosted();
        dispatch(event);
    });
    return true;
}

void HeadlessRuntime::shutdown() {
    if (impl_->ended) return;
    impl_->ended = true;
    impl_->posted.clear();
    impl_->machine.log({"shutdown"});
}

std::uint64_t HeadlessRuntime::now() const { return impl_->clock; }

void HeadlessRuntime::wait(std::uint64_t ms) {
    const std::uint64_t target = impl_->clock + ms;
    topLevel([&] {
        runPosted();
        runTicks(target);
    });
    impl_->clock = std::max(impl_->clock, target);
}

void HeadlessRuntime::queueAnswer(int answer, std::uint64_t thinkMs, std::string origin) {
    impl_->answers.push_back(Impl::Answer{answer, thinkMs, std::move(origin)});
}

std::size_t HeadlessRuntime::pendingAnswers() const { return impl_->answers.size(); }

void HeadlessRuntime::post(std::function<void()> event) { impl_->posted.push_back(std::move(event)); }

void HeadlessRuntime::onYield(std::function<void(std::uint64_t)> hook) { impl_->yieldHook = std::move(hook); }

std::uint64_t HeadlessRuntime::yieldCount() const { return impl_->yields; }

void HeadlessRuntime::onControlChanged(std::function<void(Control&)> hook) { impl_->changeHook = std::move(hook); }

int HeadlessRuntime::formMousePointer() const { return impl_->formPointer; }
int HeadlessRuntime::screenMousePointer() const { return impl_->screenPointer; }
std::uint64_t HeadlessRuntime::bringToFrontCount() const { return impl_->bringToFront; }
bool HeadlessRuntime::linkIsOpen() const { return impl_->conversation != 0; }

// --- WindowRuntime -------------------------------------------------------------------

int HeadlessRuntime::messageBox(const std::string& text, int style, const std::string& title) {
    if (impl_->ended) throw ProgramEnded{};
    if (impl_->answers.empty()) {
        impl_->ended = impl_->faulted = true;
        throw ScriptFault{nameBox(text, style, title) + " has no scripted answer"};
    }
    Impl::Answer a = std::move(impl_->answers.front());
    impl_->answers.pop_front();
    const auto offered = offeredAnswers(style);
    if (std::find(offered.begin(), offered.end(), a.answer) == offered.end()) {
        impl_->ended = impl_->faulted = true;
        std::string reason = (a.origin.empty() ? std::string() : a.origin + ": ") + "answer " +
                             std::to_string(a.answer) + " is not offered by " + nameBox(text, style, title) +
                             ", which has " + buttonNames(style);
        throw ScriptFault{std::move(reason)};
    }
    impl_->machine.log({"msgbox", std::to_string(style), title, text, std::to_string(a.answer)});

    // While the box is open only timers reach the window (its owner is
    // disabled, so clicks do not): ticks already due, then those falling into
    // the user's think time.
    runTicks(impl_->clock + a.thinkMs);
    if (impl_->ended) throw ProgramEnded{};
    return a.answer;
}

void HeadlessRuntime::doEvents() {
    if (impl_->ended) throw ProgramEnded{};
    ++impl_->yields;
    if (impl_->yieldHook) impl_->yieldHook(impl_->yields);
    runPosted();
    // Ticks already due: another timer due at the same moment as the one
    // whose handler is yielding now.
    runTicks(impl_->clock);
    if (impl_->ended) throw ProgramEnded{};
}

void HeadlessRuntime::endProgram() {
    if (!impl_->ended) {
        impl_->ended = true;
        impl_->posted.clear();
        impl_->machine.log({"end"});
    }
    throw ProgramEnded{};
}

void HeadlessRuntime::reportUnhandledError(const SetupError& error) {
    if (impl_->ended) throw ProgramEnded{};
    messageBox(kRunTimeErrorHead + std::to_string(error.number) + kRunTimeErrorSeparator + error.description,
               kMbIconError, kAppTitle);
    HeadlessRuntime::endProgram();
}

void HeadlessRuntime::beep() { impl_->machine.log({"beep"}); }

bool HeadlessRuntime::anotherCopyRunning() { return impl_->machine.anotherCopyRunning(); }

std::string HeadlessRuntime::appPath() { return impl_->machine.setupFolder(); }

void HeadlessRuntime::randomize() {
    // Randomize mixes the high word of the clock's double into bits 8..23 of
    // the seed and keeps its low byte.
    const double seconds = kDayStartSeconds + static_cast<double>(impl_->clock) / 1000.0;
    std::uint64_t bits = 0;
    std::memcpy(&bits, &seconds, sizeof bits);
    const auto high = static_cast<std::uint32_t>(bits >> 32);
    const std::uint32_t mixed = (high ^ (high >> 16)) & 0xFFFFu;
    impl_->seed = ((mixed << 8) | (impl_->seed & 0xFFu)) & kRndMask;
}

float HeadlessRuntime::rnd() {
    impl_->seed = (impl_->seed * kRndMultiplier + kRndIncrement) & kRndMask;
    // 24 bits fit a float exactly, so r < 1 holds.
    return static_cast<float>(impl_->seed) / 16777216.0f;
}

void HeadlessRuntime::setFormMousePointer(int pointer) { impl_->formPointer = pointer; }
void HeadlessRuntime::setScreenMousePointer(int pointer) { impl_->screenPointer = pointer; }
void HeadlessRuntime::bringToFront() { ++impl_->bringToFront; }

void HeadlessRuntime::linkOpen(const std::string& topic) {
    // A label's LinkTopic is "application|topic".
    const auto bar = topic.find('|');
    const std::string service = bar == std::string::npos ? topic : topic.substr(0, bar);
    const std::string subject = bar == std::string::npos ? std::string() : topic.substr(bar + 1);
    linkClose();
    const DdeConversation c = impl_->machine.services().ddeConnect(service, subject);
    if (c == 0) throw SetupError(err::kDdeNoAnswer);
    impl_->conversation = c;
}

void HeadlessRuntime::linkExecute(const std::string& command, int timeoutTenths) {
    if (impl_->conversation == 0) throw SetupError(err::kDdeNoLink);
    // LinkTimeout -1 is the longest wait the runtime allows.
    const std::uint32_t ms = timeoutTenths < 0 ? std::numeric_limits<std::uint32_t>::max()
                                               : static_cast<std::uint32_t>(timeoutTenths) * 100u;
    // The client cannot tell a refusal from a lost answer when the server
    // only says "no": the runtime reports it as a refused command.
    if (!impl_->machine.services().ddeExecute(impl_->conversation, command, ms)) throw SetupError(err::kDdeRefused);
}

void HeadlessRuntime::linkClose() {
    if (impl_->conversation == 0) return;
    impl_->machine.services().ddeDisconnect(impl_->conversation);
    impl_->conversation = 0;
}

// --- ModelObserver -----------------------------------------------------------------

void HeadlessRuntime::controlChanged(Control& control) {
    if (impl_->changeHook) impl_->changeHook(control);
    if (control.kind() != ControlKind::Timer) return;
    const auto& t = static_cast<const Timer&>(control);
    if (t.Enabled()) impl_->schedule(t);
}

}  // namespace ortavia::sim
