// The shared fixture as the integration and UAC tests use it: a machine.ini
// of the test's choosing, the window built at once on a FaultyServices so a
// test can make single calls fail, and the window as start-up leaves it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/sim_fixture.h"

namespace ortavia::testrig {

using sim::Events;

inline constexpr const char* kPoliciesKey = sim::kPoliciesSystemKey;
inline constexpr const char* kRunOnce = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
inline constexpr const char* kDocumentsStateFile = "C:\\Users\\Utente\\Documents\\Stato_UAC.txt";

inline std::vector<std::uint8_t> bytesOf(const std::string& s) { return {s.begin(), s.end()}; }

class Rig : public sim::SimFixture {
public:
    explicit Rig(std::function<void(sim::MachineConfig&)> tweak = {},
                 std::function<void(sim::SimMachine&)> build = {})
        : SimFixture(sim::SimOptions{.config = std::move(tweak), .customize = std::move(build), .faulty = true}) {
        form();
    }

    // The window on a machine of version 10 with the 64-bit component folder,
    // as start-up would leave it, without running start-up.
    Rig& asAfterStartUp(const std::string& installDir = "C:\\Ortavia_on_line") {
        form().WinVersion = 10.0f;
        form().WinDir = "C:\\Windows\\";
        form().SysDir = "C:\\Windows\\SYSWOW64\\";
        form().InstallDir = installDir;
        return *this;
    }
};

}  // namespace ortavia::testrig
