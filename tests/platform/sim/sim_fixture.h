// The simulated machine's own tests: a fresh default machine in its own
// temporary folder, removed afterwards, and its raw journal lines.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/sim/machine.h"
#include "support/sim_fixture.h"

namespace ortavia::sim::testing {

// A new, empty folder of its own; the caller removes it.
inline std::filesystem::path freshFolder(const std::string& tag) { return uniqueTempFolder("ortavia-sim-test-" + tag); }

inline std::string readText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::vector<std::string> journalLines(const std::filesystem::path& dir) {
    std::istringstream in(readText(dir / "events.log"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class SimMachineTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = freshFolder("m");
        machine = SimMachine::open(dir);
    }
    void TearDown() override {
        machine.reset();
        std::filesystem::remove_all(dir);
    }
    WindowsServices& os() { return machine->services(); }
    std::vector<std::string> journal() const { return journalLines(dir); }
    // Re-reads the machine from its folder, as a new process would.
    void reopen() {
        machine.reset();
        machine = SimMachine::open(dir);
    }

    std::filesystem::path dir;
    std::unique_ptr<SimMachine> machine;
};

// Runs a file statement and returns the runtime error number it raised (0 for none).
template <typename F>
int errorOf(F&& statement) {
    try {
        statement();
    } catch (const SetupError& e) {
        return e.number;
    }
    return 0;
}

}  // namespace ortavia::sim::testing
