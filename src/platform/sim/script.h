// Scripts for the simulated machine: a user's actions, one a line, played
// against the setup window on a SimMachine.  The host tool ortavia-sim and the
// tests both play scripts through this library.
//
// The language (keywords and control names are case-insensitive; `#` starts
// a comment that runs to the end of the line; blank lines are ignored):
//   click CONTROL          a primary click; nothing happens when the control or
//                          a container is hidden or disabled
//   type CONTROL TEXT      keystrokes: one Change per character, within the
//                          box's maximum length (TEXT is the rest of the line)
//   set CONTROL TEXT       a paste replacing the text: one Change
//   clear CONTROL          the text emptied: one Change
//   blur CONTROL           the box loses the focus
//   check CONTROL          the user ticks (or unticks) the check box
//   select CONTROL INDEX   the user picks entry INDEX (0-based) of a list
//   answer N [after MS]    queues N (1 OK, 2 Cancel, 3 Abort, 4 Retry,
//                          5 Ignore, 6 Yes, 7 No) for the next message box;
//                          the box stays open MS ms first (timers tick inside)
//   wait MS                the virtual clock advances; enabled timers tick
//   reboot                 the computer restarts (see below)
// The `answer` lines at the top of a script, and those right after `reboot`,
// are queued before the setup starts, so start-up's boxes can be answered.
//
// reboot: the running setup, if any, is closed by the shutdown (journal
// `shutdown`, not `end`); the machine carries out the restart and hands over
// its run-once commands; what each did is journaled as
// `runonce-run<TAB>COMMAND<TAB>WHAT`, WHAT being `setup` (it starts the
// setup again), `missing` (the program it names is not on the machine) or
// `other` (another program, which the simulation does not run).  The first
// command that starts the setup gives the run the script goes on with: a new
// window and a new runtime whose virtual clock starts again at 0, as a
// freshly started process would.  Answers right after a reboot that starts
// no setup are left unplayed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "content/content.h"
#include "platform/sim/machine.h"

namespace ortavia {
class Form;
class Setup1;
}  // namespace ortavia

namespace ortavia::sim {

struct ScriptAction {
    enum class Kind { Click, Type, Set, Clear, Blur, Check, Select, Answer, Wait, Reboot };
    Kind kind = Kind::Wait;
    int line = 0;          // 1-based line in the script text
    std::string source;    // the line as written, comment and outer blanks removed
    std::string control;   // as written
    std::string text;      // type / set
    int number = 0;        // select: the index; answer: the button
    std::uint64_t ms = 0;  // wait: the time; answer: the think time
};

struct Script {
    std::vector<ScriptAction> actions;
};

// A bad script line: which line and why.
struct ScriptError {
    int line = 0;
    std::string why;
};

// Syntax only; throws ScriptError for the first bad line.
Script parseScript(const std::string& text);
// Every control named exists on `form` and takes the action (a click goes to
// a label or check box, text to a text box...); throws ScriptError otherwise.
void checkControls(const Script& script, const Form& form);

// Exit statuses of a play (and of ortavia-sim).
inline constexpr int kPlayed = 0;       // the whole script was played
inline constexpr int kPlayStopped = 1;  // an unanswered box, an answer not offered, an action after the end
inline constexpr int kBadInput = 2;     // a bad script, machine file or command line; nothing was changed

// What the user would have seen, in order: the page after each action and
// every journal event of the play (message boxes, program starts, restart...).
struct SeenItem {
    enum class Kind { Page, Event };
    Kind kind = Kind::Event;
    std::vector<std::string> fields;  // Page: {name}; Event: the journal fields, unescaped
};

struct PlayResult {
    int status = kPlayed;
    std::string reason;  // one line; empty when the whole script was played
    std::vector<SeenItem> seen;
};

struct PlayOptions {
    // The content each new window is built with; embeddedContent() when empty.
    std::function<SetupContent()> content;
};

// Plays a parsed script on an open machine (checkControls first).
PlayResult playScript(SimMachine& machine, const Script& script, const PlayOptions& options = {});
// Parses and plays; a bad line gives kBadInput with "line N: why".
PlayResult playScript(SimMachine& machine, const std::string& scriptText, const PlayOptions& options = {});
// Opens (or creates) the machine in `machineDir`, then parses and plays.  The
// script is parsed before the machine is opened; a bad machine file gives
// kBadInput naming the file and line.
PlayResult playScript(const std::filesystem::path& machineDir, const std::string& scriptText,
                      const PlayOptions& options = {});

// A complete installation on the default machine (UAC on): switch-off and
// restart accepted, reboot, the wizard through to Fine, the restore accepted.
std::string builtInScript();

// The page of the wizard the window shows now, by the controls that are seen;
// empty in the middle of a change from one page to the next.
std::string currentPage(const Setup1& form);

// The machine's journal file (events.log).
std::filesystem::path journalFile(const SimMachine& machine);
// The journal read back: one event a line, fields split at TAB and unescaped.
std::vector<std::vector<std::string>> readJournal(const std::filesystem::path& eventsLog);
std::vector<std::string> splitJournalLine(const std::string& line);

}  // namespace ortavia::sim
