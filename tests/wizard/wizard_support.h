// Shared steps of the wizard tests: another fixed disk, and the clicks that
// lead to the destination page.
#pragma once

#include <gtest/gtest.h>

#include "support/sim_fixture.h"

namespace ortavia::wizard_test {

inline void fixedDisk(sim::SimMachine& m, char letter) { m.addDrive({letter, sim::DriveType::Fixed, true}); }

// Welcome -> agreement -> accepted -> destination page.
inline void toDestination(sim::SimFixture& fx) {
    ASSERT_TRUE(fx.click("Label14"));
    ASSERT_TRUE(fx.click("Check1"));
    fx.wait(1000);
    ASSERT_TRUE(fx.click("Label14"));
    ASSERT_TRUE(fx.form().Label6.isSeen());
}

}  // namespace ortavia::wizard_test
