#include "support/sim_fixture.h"

#include <atomic>
#include <random>
#include <stdexcept>

namespace ortavia::sim {

namespace {
std::filesystem::path uniqueRoot() {
    static std::atomic<unsigned> counter{0};
    static const unsigned run = std::random_device{}();
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
        auto candidate = base / ("ortavia-fixture-" + std::to_string(run) + "-" + std::to_string(++counter));
        if (std::filesystem::create_directory(candidate)) return candidate;
    }
}
}  // namespace

SimFixture::SimFixture(std::function<void(SimMachine&)> customize)
    : root_(uniqueRoot()), dir_(root_ / "machine"), machine_(SimMachine::open(dir_)) {
    if (customize) customize(*machine_);
}

SimFixture::~SimFixture() {
    form_.reset();
    rt_.reset();
    machine_.reset();
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
}

HeadlessRuntime& SimFixture::rt() {
    if (!rt_) rt_ = std::make_unique<HeadlessRuntime>(*machine_);
    return *rt_;
}

Setup1& SimFixture::form() {
    if (!form_) form_ = std::make_unique<Setup1>(machine_->services(), rt(), content_ ? *content_ : embeddedContent());
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

std::vector<std::vector<std::string>> SimFixture::journal() const { return readJournal(journalFile(*machine_)); }

std::vector<std::vector<std::string>> SimFixture::events(const std::string& kind) const {
    std::vector<std::vector<std::string>> out;
    for (auto& e : journal()) {
        if (!e.empty() && e[0] == kind) out.push_back(std::move(e));
    }
    return out;
}

PlayResult SimFixture::play(const std::string& scriptText, const PlayOptions& options) {
    return playScript(*machine_, scriptText, options);
}

}  // namespace ortavia::sim
