// The shared test fixture: a fresh simulated machine in a unique temporary
// folder, the headless runtime and the setup window on it, and the journal
// read back.
//
//   SimFixture fx([](SimMachine& m) { m.setDword(...); });  // customize before the setup starts
//   SimFixture fx({.config = [](MachineConfig& c) { c.admin = false; },  // machine.ini before the first open
//                  .customize = uacOff,
//                  .faulty = true});  // the window's Windows table goes through faults()
//   fx.answer(kIdOk);                 // answers for start-up's boxes
//   ASSERT_TRUE(fx.start());          // Form_Load, show, Form_Activate
//   fx.click("Label14");  fx.wait(1000);
//   EXPECT_EQ(fx.boxTexts().size(), 1u);
//   auto r = fx.play("answer 1\nclick Label14\n");  // or play a whole script
//
// rt() and form() are created on first use; give the content in the options
// or call setContent() before that to build the window with content of your
// own (embeddedContent() otherwise).  Use either start()/rt()/form() or play()
// on one fixture: a played script builds windows of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "content/content.h"
#include "platform/sim/faulty_services.h"
#include "platform/sim/headless_runtime.h"
#include "platform/sim/machine.h"
#include "platform/sim/machine_config.h"
#include "platform/sim/script.h"
#include "setup/setup1.h"

namespace ortavia::sim {

// A new, empty folder under the system's temporary folder, named
// "<prefix>-<tag>-<n>": the tag is random per test process and n counts, so
// parallel processes and threads never share one.
std::filesystem::path uniqueTempFolder(const std::string& prefix);

inline constexpr const char* kPoliciesSystemKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";

// Switches UAC off, so start-up goes straight to the wizard.
void uacOff(SimMachine& m);

using Events = std::vector<std::vector<std::string>>;

struct SimOptions {
    // The default machine.ini as this leaves it, written before the machine
    // is first opened (it fills its drives and registry from it).
    std::function<void(MachineConfig&)> config = {};
    // The opened machine, before the runtime and the window exist.
    std::function<void(SimMachine&)> customize = {};
    // Build the window on a FaultyServices around the machine's services,
    // reached through faults(), so a test can make single calls fail.
    bool faulty = false;
    // The content the window is built with; embeddedContent() when empty.
    std::optional<SetupContent> content = {};
};

class SimFixture {
public:
    explicit SimFixture(std::function<void(SimMachine&)> customize = {});
    explicit SimFixture(SimOptions options);
    virtual ~SimFixture();
    SimFixture(const SimFixture&) = delete;
    SimFixture& operator=(const SimFixture&) = delete;

    const std::filesystem::path& dir() const { return dir_; }
    SimMachine& machine() { return *machine_; }
    const SimMachine& machine() const { return *machine_; }
    // The wrapper the window calls through; only with SimOptions::faulty.
    FaultyServices& faults();
    HeadlessRuntime& rt();
    Setup1& form();
    // Before the first form(): the content the window is built with.
    void setContent(SetupContent content);

    // rt().start(form()): false when the program ended during start-up.
    bool start();
    // User input at top level; false when the program had ended or the
    // control did not take it (hidden or disabled).
    bool click(const std::string& control);
    bool type(const std::string& control, const std::string& text);
    void wait(std::uint64_t ms) { rt().wait(ms); }
    bool ended() { return rt().ended(); }
    // The answer for the next message box, read for thinkMs of virtual time.
    void answer(int button, std::uint64_t thinkMs = 0) { rt().queueAnswer(button, thinkMs); }
    // Runs a procedure as one top-level event; false when the program ended.
    bool run(const std::function<void()>& procedure) { return rt().deliver(procedure); }

    // events.log, parsed (fields unescaped), and only the events of one kind
    // from entry `from` on.
    Events journal() const;
    Events events(const std::string& kind, std::size_t from = 0) const;
    // The texts of the message boxes shown, in order.
    std::vector<std::string> boxTexts() const;
    // The command lines of the programs started, in order.
    std::vector<std::string> starts() const;

    // A REG_DWORD value; nothing when missing or of another type or size.
    std::optional<std::uint32_t> dword(RegKey root, const std::string& key, const std::string& name) const;
    std::optional<std::uint32_t> enableLua() const;

    // Plays a script on this machine (see platform/sim/script.h).
    PlayResult play(const std::string& scriptText, const PlayOptions& options = {});

private:
    std::filesystem::path root_;
    std::filesystem::path dir_;
    std::unique_ptr<SimMachine> machine_;
    std::unique_ptr<FaultyServices> faults_;
    std::unique_ptr<HeadlessRuntime> rt_;
    std::unique_ptr<Setup1> form_;  // after rt_ and faults_: destroyed first
    std::unique_ptr<SetupContent> content_;
};

}  // namespace ortavia::sim
