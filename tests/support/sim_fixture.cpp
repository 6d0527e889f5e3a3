#include "support/sim_fixture.h"

#include <atomic>
#include <fstream>
#include <random>
#include <stdexcept>

namespace ortavia::sim {

std::filesystem::path uniqueTempFolder(const std::string& prefix) {
    static std::atomic<unsigned> counter{0};
    static const unsigned run = std::random_device{}();
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
        auto candidate = base / (prefix + "-" + std::to_string(run) + "-" + std::to_string(++counter));
        if (std::filesystem::create_directory(candidate)) return candidate;
    }
}

void uacOff(SimMachine& m) { m.setDword(kHkeyLocalMachine, kPoliciesSystemKey, "EnableLUA", 0); }

namespace {
// The machine folder under `root`: with a machine.ini of the test's choosing
// when there is one, otherwise left for the machine to create as the default.
std::filesystem::path machineFolder(const std::filesystem::path& root,
                                    const std::function<void(MachineConfig&)>& config) {
    auto dir = root / "machine";
    if (config) {
        std::filesystem::create_directories(dir);
        MachineConfig c;
        config(c);
        std::ofstream(dir / kMachineIniName, std::ios::binary) << formatMachineIni(c);
    }
    return dir;
}
}  // namespace

SimFixture::SimFixture(std::function<void(SimMachine&)> customize)
    : SimFixture(SimOptions{.customize = std::move(customize)}) {}

SimFixture::SimFixture(SimOptions options)
    : root_(uniqueTempFolder("ortavia-fixture")),
      dir_(machineFolder(root_, options.config)),
      machine_(SimMachine::open(dir_)) {
    if (options.customize) options.customize(*machine_);
    if (options.faulty) faults_ = std::make_unique<FaultyServices>(machine_->services());
    if (options.content) content_ = std::make_unique<SetupContent>(std::move(*options.content));
}

SimFixture::~SimFixture() {
    form_.reset();
    rt_.reset();
    faults_.reset();
    machine_.reset();
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
}

FaultyServices& SimFixture::faults() {
    if (!faults_) throw std::logic_error("the fixture was built without a fault wrapper");
    return *faults_;
}

HeadlessRuntime& SimFixture::rt() {
    if (!rt_) rt_ = std::make_unique<HeadlessRuntime>(*machine_);
    return *rt_;
}

Setup1& SimFixture::form() {
    if (!form_) {
        WindowsServices& os = faults_ ? static_cast<WindowsServices&>(*faults_) : machine_->services();
        form_ = std::make_unique<Setup1>(os, rt(), content_ ? *content_ : embeddedContent());
    }
    return *form_;
}

void SimFixture::setContent(SetupContent content) {
    if (form_) throw std::logic_error("setContent after the window was built");
    content_ = std::make_unique<SetupContent>(std::move(content));
}

bool SimFixture::start() { return rt().start(form()); }

bool SimFixture::click(const std::string& control) {
    Control* c = form().find(control);
    if (c == nullptr) throw std::invalid_argument("no control " + control);
    bool taken = false;
    const bool delivered = rt().deliver([&] {
        if (c->kind() == ControlKind::CheckBox) {
            taken = static_cast<CheckBox*>(c)->userToggle();
        } else if (c->kind() == ControlKind::Label) {
            taken = static_cast<Label*>(c)->userClick();
        } else {
            throw std::invalid_argument(control + " cannot be clicked");
        }
    });
    return delivered && taken;
}

bool SimFixture::type(const std::string& control, const std::string& text) {
    Control* c = form().find(control);
    if (c == nullptr || c->kind() != ControlKind::TextBox) throw std::invalid_argument("no text box " + control);
    bool taken = false;
    const bool delivered = rt().deliver([&] { taken = static_cast<TextBox*>(c)->userType(text); });
    return delivered && taken;
}

Events SimFixture::journal() const { return readJournal(journalFile(*machine_)); }

Events SimFixture::events(const std::string& kind, std::size_t from) const {
    Events all = journal();
    Events out;
    for (std::size_t i = from; i < all.size(); ++i) {
        if (!all[i].empty() && all[i][0] == kind) out.push_back(std::move(all[i]));
    }
    return out;
}

std::vector<std::string> SimFixture::boxTexts() const {
    std::vector<std::string> out;
    for (const auto& e : events("msgbox")) out.push_back(e.at(3));
    return out;
}

std::vector<std::string> SimFixture::starts() const {
    std::vector<std::string> out;
    for (const auto& e : events("start")) out.push_back(e.at(1));
    return out;
}

std::optional<std::uint32_t> SimFixture::dword(RegKey root, const std::string& key, const std::string& name) const {
    const auto v = machine_->value(root, key, name);
    if (!v || v->type != kRegDword || v->data.size() != 4) return std::nullopt;
    return static_cast<std::uint32_t>(v->data[0]) | (static_cast<std::uint32_t>(v->data[1]) << 8) |
           (static_cast<std::uint32_t>(v->data[2]) << 16) | (static_cast<std::uint32_t>(v->data[3]) << 24);
}

std::optional<std::uint32_t> SimFixture::enableLua() const {
    return dword(kHkeyLocalMachine, kPoliciesSystemKey, "EnableLUA");
}

PlayResult SimFixture::play(const std::string& scriptText, const PlayOptions& options) {
    return playScript(*machine_, scriptText, options);
}

}  // namespace ortavia::sim
