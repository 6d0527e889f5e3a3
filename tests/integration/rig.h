// A simulated machine built from a machine.ini of the test's choosing, with
// the headless runtime and the setup window on it.  The window's Windows
// table goes through a FaultyServices so a test can make single calls fail.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/faulty_services.h"
#include "platform/sim/headless_runtime.h"
#include "platform/sim/machine.h"
#include "platform/sim/machine_config.h"
#include "platform/sim/script.h"
#include "setup/setup1.h"

namespace ortavia::testrig {

using Events = std::vector<std::vector<std::string>>;

inline constexpr const char* kPoliciesKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
inline constexpr const char* kRunOnce = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
inline constexpr const char* kDocumentsStateFile = "C:\\Users\\Utente\\Documents\\Stato_UAC.txt";

inline std::vector<std::uint8_t> bytesOf(const std::string& s) { return {s.begin(), s.end()}; }

// Writes a machine folder whose machine.ini is the default one as `tweak`
// leaves it; the machine fills its drives and registry when first opened.
inline std::filesystem::path makeMachineFolder(const std::function<void(sim::MachineConfig&)>& tweak) {
    // A random tag per test binary keeps parallel test processes apart.
    static const unsigned tag = std::random_device{}();
    static std::atomic<unsigned> counter{0};
    const auto dir = std::filesystem::temp_directory_path() /
                     ("ortavia-rig-" + std::to_string(tag) + "-" + std::to_string(++counter)) / "machine";
    std::filesystem::remove_all(dir.parent_path());
    std::filesystem::create_directories(dir);
    sim::MachineConfig config;
    if (tweak) tweak(config);
    std::ofstream(dir / sim::kMachineIniName, std::ios::binary) << sim::formatMachineIni(config);
    return dir;
}

class Rig {
public:
    explicit Rig(const std::function<void(sim::MachineConfig&)>& tweak = {},
                 const std::function<void(sim::SimMachine&)>& build = {})
        : dir_(makeMachineFolder(tweak)), machine_(sim::SimMachine::open(dir_)) {
        if (build) build(*machine_);
        faults_ = std::make_unique<sim::FaultyServices>(machine_->services());
        rt_ = std::make_unique<sim::HeadlessRuntime>(*machine_);
        form_ = std::make_unique<Setup1>(*faults_, *rt_, embeddedContent());
    }
    ~Rig() {
        form_.reset();
        rt_.reset();
        faults_.reset();
        machine_.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir_.parent_path(), ec);
    }
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    sim::SimMachine& machine() { return *machine_; }
    sim::FaultyServices& faults() { return *faults_; }
    sim::HeadlessRuntime& rt() { return *rt_; }
    Setup1& form() { return *form_; }
    const std::filesystem::path& dir() const { return dir_; }

    // The window on a machine of version 10 with the 64-bit component folder,
    // as start-up would leave it, without running start-up.
    Rig& asAfterStartUp(const std::string& installDir = "C:\\Ortavia_on_line") {
        form_->WinVersion = 10.0f;
        form_->WinDir = "C:\\Windows\\";
        form_->SysDir = "C:\\Windows\\SYSWOW64\\";
        form_->InstallDir = installDir;
        return *this;
    }

    // Runs a procedure as one top-level event; false when the program ended.
    bool run(const std::function<void()>& procedure) { return rt_->deliver(procedure); }
    void answer(int button, std::uint64_t thinkMs = 0) { rt_->queueAnswer(button, thinkMs); }

    Events events(const std::string& kind) const {
        Events out;
        for (auto& e : sim::readJournal(sim::journalFile(*machine_))) {
            if (!e.empty() && e[0] == kind) out.push_back(e);
        }
        return out;
    }
    // The texts of the message boxes shown, in order.
    std::vector<std::string> boxTexts() const {
        std::vector<std::string> out;
        for (const auto& e : events("msgbox")) out.push_back(e.at(3));
        return out;
    }
    std::vector<std::string> starts() const {
        std::vector<std::string> out;
        for (const auto& e : events("start")) out.push_back(e.at(1));
        return out;
    }

    std::optional<std::uint32_t> dword(RegKey root, const std::string& key, const std::string& name) const {
        const auto v = machine_->value(root, key, name);
        if (!v || v->type != kRegDword || v->data.size() != 4) return std::nullopt;
        return static_cast<std::uint32_t>(v->data[0]) | (static_cast<std::uint32_t>(v->data[1]) << 8) |
               (static_cast<std::uint32_t>(v->data[2]) << 16) | (static_cast<std::uint32_t>(v->data[3]) << 24);
    }
    std::optional<std::uint32_t> enableLua() const { return dword(kHkeyLocalMachine, kPoliciesKey, "EnableLUA"); }

private:
    std::filesystem::path dir_;
    std::unique_ptr<sim::SimMachine> machine_;
    std::unique_ptr<sim::FaultyServices> faults_;
    std::unique_ptr<sim::HeadlessRuntime> rt_;
    std::unique_ptr<Setup1> form_;
};

}  // namespace ortavia::testrig
