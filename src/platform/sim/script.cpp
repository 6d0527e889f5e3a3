#include "platform/sim/script.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <deque>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>

#include "platform/sim/headless_runtime.h"
#include "platform/sim/machine_impl.h"
#include "setup/setup1.h"

namespace ortavia::sim {

namespace {

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string trim(const std::string& s) {
    std::size_t a = 0;
    std::size_t b = s.size();
    while (a < b && (isBlank(s[a]) || s[a] == '\r')) ++a;
    while (b > a && (isBlank(s[b - 1]) || s[b - 1] == '\r')) --b;
    return s.substr(a, b - a);
}

// Splits off the first word; `rest` keeps everything after the blanks that
// follow it, inner blanks included.
std::string firstWord(const std::string& s, std::string& rest) {
    std::size_t i = 0;
    while (i < s.size() && !isBlank(s[i])) ++i;
    std::string word = s.substr(0, i);
    while (i < s.size() && isBlank(s[i])) ++i;
    rest = s.substr(i);
    return word;
}

std::optional<std::uint64_t> parseCount(const std::string& s) {
    std::uint64_t v = 0;
    if (s.empty() || s.size() > 12) return std::nullopt;
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc{} || p != s.data() + s.size()) return std::nullopt;
    return v;
}

using Kind = ScriptAction::Kind;

struct Keyword {
    const char* word;
    Kind kind;
};
constexpr Keyword kKeywords[] = {
    {"click", Kind::Click}, {"type", Kind::Type},     {"set", Kind::Set},       {"clear", Kind::Clear},
    {"blur", Kind::Blur},   {"check", Kind::Check},   {"select", Kind::Select}, {"answer", Kind::Answer},
    {"wait", Kind::Wait},   {"reboot", Kind::Reboot},
};

const char* keywordOf(Kind kind) {
    for (const Keyword& k : kKeywords) {
        if (k.kind == kind) return k.word;
    }
    return "?";
}

constexpr int kLowestAnswer = 1;  // IDOK
constexpr int kHighestAnswer = 7; // IDNO

}  // namespace

Script parseScript(const std::string& text) {
    Script script;
    std::istringstream in(text);
    std::string raw;
    int lineNo = 0;
    while (std::getline(in, raw)) {
        ++lineNo;
        const auto hash = raw.find('#');
        const std::string line = trim(hash == std::string::npos ? raw : raw.substr(0, hash));
        if (line.empty()) continue;
        auto fail = [&](const std::string& why) { throw ScriptError{lineNo, why}; };

        std::string rest;
        const std::string word = lower(firstWord(line, rest));
        const auto kw = std::find_if(std::begin(kKeywords), std::end(kKeywords),
                                     [&](const Keyword& k) { return word == k.word; });
        if (kw == std::end(kKeywords)) fail("unknown action \"" + word + "\"");

        ScriptAction a;
        a.kind = kw->kind;
        a.line = lineNo;
        a.source = line;
        std::string args;
        switch (a.kind) {
            case Kind::Click:
            case Kind::Clear:
            case Kind::Blur:
            case Kind::Check:
                a.control = firstWord(rest, args);
                if (a.control.empty()) fail(word + " needs a control name");
                if (!args.empty()) fail(word + " takes only a control name, not \"" + args + "\"");
                break;
            case Kind::Type:
            case Kind::Set:
                a.control = firstWord(rest, a.text);
                if (a.control.empty()) fail(word + " needs a control name and a text");
                if (a.text.empty()) fail(word + " needs a text after the control name (use clear to empty it)");
                break;
            case Kind::Select: {
                a.control = firstWord(rest, args);
                const auto index = parseCount(args);
                if (a.control.empty() || !index) fail("select needs a control name and an entry index (0, 1, ...)");
                a.number = static_cast<int>(*index);
                break;
            }
            case Kind::Answer: {
                std::string after;
                const auto n = parseCount(firstWord(rest, after));
                if (!n || *n < kLowestAnswer || *n > kHighestAnswer) {
                    fail("answer needs a button number from 1 to 7 (1 OK, 2 Cancel, 6 Yes, 7 No)");
                }
                a.number = static_cast<int>(*n);
                if (!after.empty()) {
                    std::string msText;
                    const std::string afterWord = lower(firstWord(after, msText));
                    const auto ms = parseCount(msText);
                    if (afterWord != "after" || !ms) fail("answer takes only \"after MS\" after the number");
                    a.ms = *ms;
                }
                break;
            }
            case Kind::Wait: {
                const auto ms = parseCount(rest);
                if (!ms) fail("wait needs a time in milliseconds");
                a.ms = *ms;
                break;
            }
            case Kind::Reboot:
                if (!rest.empty()) fail("reboot takes nothing after it");
                break;
        }
        script.actions.push_back(std::move(a));
    }
    return script;
}

void checkControls(const Script& script, const Form& form) {
    for (const ScriptAction& a : script.actions) {
        if (a.control.empty()) continue;
        const Control* c = form.find(a.control);
        if (c == nullptr) throw ScriptError{a.line, "unknown control \"" + a.control + "\""};
        const ControlKind k = c->kind();
        bool fits = false;
        switch (a.kind) {
            case Kind::Click: fits = k == ControlKind::Label || k == ControlKind::CheckBox; break;
            case Kind::Type:
            case Kind::Set:
            case Kind::Clear: fits = k == ControlKind::TextBox; break;
            case Kind::Blur: fits = k == ControlKind::TextBox || k == ControlKind::TextArea; break;
            case Kind::Check: fits = k == ControlKind::CheckBox; break;
            case Kind::Select: fits = k == ControlKind::ComboBox; break;
            default: fits = true; break;
        }
        if (!fits) {
            throw ScriptError{a.line, "control \"" + c->name() + "\" does not take \"" + keywordOf(a.kind) + "\""};
        }
    }
}

// --- the journal read back ------------------------------------------------------

std::vector<std::string> splitJournalLine(const std::string& line) {
    std::vector<std::string> fields(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\t') {
            fields.emplace_back();
        } else if (c == '\\' && i + 1 < line.size()) {
            const char e = line[++i];
            fields.back().push_back(e == 'r' ? '\r' : e == 'n' ? '\n' : e == 't' ? '\t' : e);
        } else if (c != '\r') {
            fields.back().push_back(c);
        }
    }
    return fields;
}

std::filesystem::path journalFile(const SimMachine& machine) { return machine.folder() / kJournalFileName; }

std::vector<std::vector<std::string>> readJournal(const std::filesystem::path& eventsLog) {
    std::vector<std::vector<std::string>> out;
    std::ifstream in(eventsLog, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty()) out.push_back(splitJournalLine(line));
    }
    return out;
}

// --- pages -----------------------------------------------------------------------------

std::string currentPage(const Setup1& f) {
    if (f.Label3.isSeen()) return "Finish";
    if (f.Label9.isSeen() || f.Picture2.isSeen()) return "Installation in progress";
    if (f.Label6.isSeen()) return "Destination";
    if (f.Label1.isSeen()) return "Licence agreement, accepted";
    if (f.Picture9.isSeen()) return "Licence agreement";
    if (f.label27.isSeen()) return "Welcome";
    return {};  // between two pages
}

// --- the player --------------------------------------------------------------------

namespace {

constexpr const char* kRunOnceEvent = "runonce-run";
constexpr const char* kRunOnceStartsSetup = "setup";
constexpr const char* kRunOnceMissing = "missing";
constexpr const char* kRunOnceOther = "other";

std::string fileNameOf(const std::string& windowsPath) {
    const auto cut = windowsPath.find_last_of("\\/");
    return cut == std::string::npos ? windowsPath : windowsPath.substr(cut + 1);
}

// Does a run-once command name the setup (quoted or not, with or without
// arguments)?  Used only to tell "missing" from "other" when the machine
// finds no program for it.
bool namesSetup(const std::string& command) {
    return lower(command).find(lower(ortavia::kSetupFileName)) != std::string::npos;
}

class Player {
public:
    Player(SimMachine& machine, const PlayOptions& options) : machine_(machine), options_(options) {}

    PlayResult play(const Script& script) {
        journalFile_ = journalFile(machine_);
        journalSeen_ = readJournal(journalFile_).size();
        const auto& actions = script.actions;
        try {
            std::size_t i = queueLeadingAnswers(actions, 0);
            startRun("at start-up");
            for (; i < actions.size(); ++i) {
                const ScriptAction& a = actions[i];
                context_ = "line " + std::to_string(a.line);
                if (a.kind == Kind::Reboot) {
                    reboot(a);
                    i = queueLeadingAnswers(actions, i + 1) - 1;
                    if (!setupCommand_ && !pendingAnswers_.empty()) {
                        const ScriptAction& unused = pendingAnswers_.front();
                        return stop(kPlayStopped, "line " + std::to_string(unused.line) + ": \"" + unused.source +
                                                      "\" left unplayed: " + whyNotRunning());
                    }
                    startPendingRun(a);
                    continue;
                }
                if (!running()) {
                    return stop(kPlayStopped, "line " + std::to_string(a.line) + ": \"" + a.source +
                                                  "\" left unplayed: " + whyNotRunning());
                }
                playOne(a);
                afterAction(a.line);
            }
        } catch (const ScriptFault& fault) {
            return stop(kPlayStopped, context_ + ": " + fault.reason);
        }
        return stop(kPlayed, {});
    }

private:
    struct Run {
        std::unique_ptr<HeadlessRuntime> rt;
        std::unique_ptr<Setup1> form;  // after rt: destroyed first
        bool locked = false;
    };

    bool running() const { return run_.rt && !run_.rt->ended(); }

    std::string whyNotRunning() const {
        if (!run_.rt) return "no setup is running (" + noRunReason_ + ")";
        return "the setup had ended" + (endedAt_.empty() ? std::string() : " (" + endedAt_ + ")");
    }

    std::size_t queueLeadingAnswers(const std::vector<ScriptAction>& actions, std::size_t from) {
        pendingAnswers_.clear();
        while (from < actions.size() && actions[from].kind == Kind::Answer) {
            pendingAnswers_.push_back(actions[from]);
            ++from;
        }
        return from;
    }

    void startRun(const std::string& when) {
        releaseRun();
        context_ = when;
        run_.rt = std::make_unique<HeadlessRuntime>(machine_);
        for (const ScriptAction& a : pendingAnswers_) {
            run_.rt->queueAnswer(a.number, a.ms, "line " + std::to_string(a.line));
        }
        pendingAnswers_.clear();
        // The instance lock is what a second ortavia-sim on this machine sees
        // as another copy running; when another process holds it, this copy
        // finds out in Form_Load and ends silently.
        run_.locked = machine_.lockInstance();
        run_.form = std::make_unique<Setup1>(machine_.services(), *run_.rt,
                                             options_.content ? options_.content() : embeddedContent());
        // Pages change inside actions (the finish page comes with a timer
        // tick, the progress page while boxes are still to come): watch them
        // as they happen, in order with the journal.
        run_.rt->onControlChanged([this](Control&) { notePage(); });
        run_.rt->start(*run_.form);
        afterAction(0, when);
    }

    void releaseRun() {
        if (run_.locked) machine_.unlockInstance();
        run_.locked = false;
        run_.form.reset();
        run_.rt.reset();
    }

    void notePage() {
        if (!run_.form || !run_.rt || !run_.rt->shown() || run_.rt->ended()) return;
        const std::string page = currentPage(*run_.form);
        if (page.empty() || page == lastPage_) return;
        collectJournal();
        lastPage_ = page;
        seen_.push_back(SeenItem{SeenItem::Kind::Page, {page}});
    }

    void afterAction(int line, const std::string& when = {}) {
        collectJournal();
        notePage();
        if (run_.rt && run_.rt->ended() && endedAt_.empty()) {
            endedAt_ = line > 0 ? "at line " + std::to_string(line) : when;
            // Ending the setup releases the instance lock.
            if (run_.locked) machine_.unlockInstance();
            run_.locked = false;
        }
    }

    void collectJournal() {
        const auto journal = readJournal(journalFile_);
        for (std::size_t k = journalSeen_; k < journal.size(); ++k) {
            seen_.push_back(SeenItem{SeenItem::Kind::Event, journal[k]});
        }
        journalSeen_ = std::max(journalSeen_, journal.size());
    }

    void playOne(const ScriptAction& a) {
        HeadlessRuntime& rt = *run_.rt;
        Control* c = a.control.empty() ? nullptr : run_.form->find(a.control);
        switch (a.kind) {
            case Kind::Click:
                rt.deliver([c] {
                    if (c->kind() == ControlKind::CheckBox) {
                        static_cast<CheckBox*>(c)->userToggle();
                    } else {
                        static_cast<Label*>(c)->userClick();
                    }
                });
                break;
            case Kind::Type: rt.deliver([c, &a] { static_cast<TextBox*>(c)->userType(a.text); }); break;
            case Kind::Set: rt.deliver([c, &a] { static_cast<TextBox*>(c)->userPaste(a.text); }); break;
            case Kind::Clear: rt.deliver([c] { static_cast<TextBox*>(c)->userPaste({}); }); break;
            case Kind::Blur: rt.deliver([c] { static_cast<TextBox*>(c)->userLoseFocus(); }); break;
            case Kind::Check: rt.deliver([c] { static_cast<CheckBox*>(c)->userToggle(); }); break;
            case Kind::Select: rt.deliver([c, &a] { static_cast<ComboBox*>(c)->userSelect(a.number); }); break;
            case Kind::Answer: rt.queueAnswer(a.number, a.ms, "line " + std::to_string(a.line)); break;
            case Kind::Wait: rt.wait(a.ms); break;
            case Kind::Reboot: break;
        }
    }

    void reboot(const ScriptAction& a) {
        if (running()) run_.rt->shutdown();
        collectJournal();
        releaseRun();
        lastPage_.clear();
        endedAt_.clear();
        noRunReason_ = "the reboot at line " + std::to_string(a.line) + " started none";
        setupCommand_.reset();
        for (const std::string& command : machine_.restartAndTakeRunOnce()) {
            const auto program = machine_.programOf(command);
            const char* what = kRunOnceOther;
            if (!program) {
                what = namesSetup(command) ? kRunOnceMissing : kRunOnceOther;
            } else if (lower(fileNameOf(*program)) == lower(ortavia::kSetupFileName)) {
                what = kRunOnceStartsSetup;
            }
            // Only one setup window comes up; a second command naming the
            // setup would only meet the first copy running.
            if (what == kRunOnceStartsSetup && !setupCommand_) setupCommand_ = command;
            machine_.log({kRunOnceEvent, command, what});
        }
    }

    void startPendingRun(const ScriptAction& reboot) {
        if (setupCommand_) {
            startRun("at the start after the reboot at line " + std::to_string(reboot.line));
        } else {
            collectJournal();
        }
    }

    PlayResult stop(int status, std::string reason) {
        collectJournal();
        releaseRun();
        PlayResult r;
        r.status = status;
        r.reason = std::move(reason);
        r.seen = std::move(seen_);
        return r;
    }

    SimMachine& machine_;
    const PlayOptions& options_;
    Run run_;
    std::vector<ScriptAction> pendingAnswers_;
    std::optional<std::string> setupCommand_;
    std::filesystem::path journalFile_;
    std::size_t journalSeen_ = 0;
    std::vector<SeenItem> seen_;
    std::string lastPage_;
    std::string endedAt_;
    std::string noRunReason_;
    std::string context_;  // where the player is, for the reason of a fault
};

PlayResult badInput(const std::string& reason) {
    PlayResult r;
    r.status = kBadInput;
    r.reason = reason;
    return r;
}

std::string describe(const ScriptError& e) { return "line " + std::to_string(e.line) + ": " + e.why; }

}  // namespace

PlayResult playScript(SimMachine& machine, const Script& script, const PlayOptions& options) {
    try {
        // The window's controls are the same in every run: check the names
        // on one that is never started, before anything happens.
        HeadlessRuntime idle(machine);
        Setup1 probe(machine.services(), idle, SetupContent{});
        checkControls(script, probe);
    } catch (const ScriptError& e) {
        return badInput(describe(e));
    }
    Player player(machine, options);
    return player.play(script);
}

PlayResult playScript(SimMachine& machine, const std::string& scriptText, const PlayOptions& options) {
    Script script;
    try {
        script = parseScript(scriptText);
    } catch (const ScriptError& e) {
        return badInput(describe(e));
    }
    return playScript(machine, script, options);
}

PlayResult playScript(const std::filesystem::path& machineDir, const std::string& scriptText,
                      const PlayOptions& options) {
    Script script;
    try {
        script = parseScript(scriptText);
    } catch (const ScriptError& e) {
        return badInput(describe(e));
    }
    std::unique_ptr<SimMachine> machine;
    try {
        machine = SimMachine::open(machineDir);
    } catch (const MachineError& e) {
        return badInput(std::string("bad machine file ") + e.what());
    }
    return playScript(*machine, script, options);
}

std::string builtInScript() {
    return R"(# A complete installation on the default machine (UAC on).
answer 1            # switch UAC off? OK
answer 1            # restart now? OK
reboot              # Windows restarts; the run-once entry starts the setup again
click Label14       # Avanti: the licence agreement
check Check1        # "Ho letto ed approvo questo contratto di licenza"
wait 1000           # Next comes alive one second after the tick
click Label14       # Avanti: the destination page
answer 1            # restore UAC? OK
answer 1            # "Il Controllo Account Utente è stato abilitato..." OK
click Label14       # Avanti: the installation runs
wait 60000          # the progress bar fills up and the finish page comes
click Label14       # Fine
)";
}

}  // namespace ortavia::sim
