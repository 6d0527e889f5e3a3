// Shared steps of the wizard tests: a machine with UAC off (so start-up asks
// nothing) and the clicks that lead to the destination page.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/sim_fixture.h"

namespace ortavia::wizard_test {

inline constexpr const char* kPoliciesSystemKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";

inline void uacOff(sim::SimMachine& m) { m.setDword(kHkeyLocalMachine, kPoliciesSystemKey, "EnableLUA", 0); }

inline void fixedDisk(sim::SimMachine& m, char letter) { m.addDrive({letter, sim::DriveType::Fixed, true}); }

// Welcome -> agreement -> accepted -> destination page.
inline void toDestination(sim::SimFixture& fx) {
    ASSERT_TRUE(fx.click("Label14"));
    ASSERT_TRUE(fx.click("Check1"));
    fx.wait(1000);
    ASSERT_TRUE(fx.click("Label14"));
    ASSERT_TRUE(fx.form().Label6.isSeen());
}

// The texts of the message boxes shown so far, in order.
inline std::vector<std::string> boxTexts(const sim::SimFixture& fx) {
    std::vector<std::string> out;
    for (const auto& e : fx.events("msgbox")) out.push_back(e.at(3));
    return out;
}

}  // namespace ortavia::wizard_test
