// The shared test fixture: a fresh default simulated machine in a unique
// temporary folder, the headless runtime and the setup window on it, and the
// journal read back.
//
//   SimFixture fx([](SimMachine& m) { m.setDword(...); });  // customize before the setup starts
//   fx.rt().queueAnswer(kIdOk);       // answers for start-up's boxes
//   ASSERT_TRUE(fx.start());          // Form_Load, show, Form_Activate
//   fx.click("Label14");  fx.wait(1000);
//   EXPECT_EQ(fx.events("msgbox").size(), 1u);
//   auto r = fx.play("answer 1\nclick Label14\n");  // or play a whole script
//
// rt() and form() are created on first use; call setContent() before that to
// build the window with content of your own (embeddedContent() otherwise).
// Use either start()/rt()/form() or play() on one fixture: a played script
// builds windows of its own.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "content/content.h"
#include "platform/sim/headless_runtime.h"
#include "platform/sim/machine.h"
#include "platform/sim/script.h"
#include "setup/setup1.h"

namespace ortavia::sim {

class SimFixture {
public:
    explicit SimFixture(std::function<void(SimMachine&)> customize = {});
    ~SimFixture();
    SimFixture(const SimFixture&) = delete;
    SimFixture& operator=(const SimFixture&) = delete;

    const std::filesystem::path& dir() const { return dir_; }
    SimMachine& machine() { return *machine_; }
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

    // events.log, parsed (fields unescaped), and only the events of one kind.
    std::vector<std::vector<std::string>> journal() const;
    std::vector<std::vector<std::string>> events(const std::string& kind) const;

    // Plays a script on this machine (see platform/sim/script.h).
    PlayResult play(const std::string& scriptText, const PlayOptions& options = {});

private:
    std::filesystem::path root_;
    std::filesystem::path dir_;
    std::unique_ptr<SimMachine> machine_;
    std::unique_ptr<HeadlessRuntime> rt_;
    std::unique_ptr<Setup1> form_;  // after rt_: destroyed first
    std::unique_ptr<SetupContent> content_;
};

}  // namespace ortavia::sim
