// The UAC round trip played as a script on the simulated machine.
#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>

#include "integration/rig.h"

namespace ortavia::testrig {
namespace {

std::string scriptText(const std::string& name) {
    const auto file = std::filesystem::path(__FILE__).parent_path().parent_path() / "scripts" / "uac" / name;
    std::ifstream in(file, std::ios::binary);
    EXPECT_TRUE(in.good()) << file;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A registry value's data as stored, whatever its type.
std::optional<std::vector<std::uint8_t>> valueData(const sim::SimFixture& p, RegKey root, const std::string& key,
                                                   const std::string& name) {
    const auto v = p.machine().value(root, key, name);
    if (!v) return std::nullopt;
    return v->data;
}

TEST(UacRoundTrip, SwitchOffRestartResumeInstallAndRestore) {
    sim::SimFixture p;
    const sim::PlayResult r = p.play(scriptText("round_trip.txt"));
    ASSERT_EQ(r.status, sim::kPlayed) << r.reason;

    // Before the restart, read from the journal.
    const auto reboots = p.events("reboot");
    ASSERT_EQ(reboots.size(), 1u);
    const auto all = p.journal();
    const std::size_t mark = static_cast<std::size_t>(
        std::find(all.begin(), all.end(), std::vector<std::string>{"reboot"}) - all.begin());
    const Events before(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(mark));
    auto beforeOf = [&](const std::string& kind) {
        Events out;
        for (const auto& e : before) {
            if (e.at(0) == kind) out.push_back(e);
        }
        return out;
    };
    const auto boxes = beforeOf("msgbox");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].at(1), "33");
    EXPECT_TRUE(boxes[0].at(3).starts_with("Nel computer risulta abilitato"));
    EXPECT_TRUE(boxes[1].at(3).ends_with("Riavviare ora?"));
    const auto sets = beforeOf("reg-set");
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0].at(2), "EnableLUA");
    EXPECT_EQ(sets[0].at(3), "dword:00000000");
    EXPECT_EQ(sets[1].at(1), std::string("HKEY_CURRENT_USER\\") + kRunOnce);
    EXPECT_EQ(sets[1].at(2), "SETUP Ortavia-on-line");
    const auto writes = beforeOf("write");
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0], (std::vector<std::string>{"write", kDocumentsStateFile, "3"}));
    const auto restart = beforeOf("restart");
    ASSERT_EQ(restart.size(), 1u);
    EXPECT_EQ(restart[0].at(1), "2");
    EXPECT_TRUE(restart[0].at(2) == "-1" || restart[0].at(2) == "4294967295");

    // The restart takes the entry and starts the setup again.
    const auto runOnce = p.events("runonce", mark);
    ASSERT_EQ(runOnce.size(), 1u);
    EXPECT_EQ(runOnce[0].at(2), "SETUP Ortavia-on-line");
    EXPECT_EQ(runOnce[0].at(3), "C:\\Users\\Utente\\Downloads\\SETUP_Ortavia_on_line.exe");
    EXPECT_FALSE(valueData(p, kHkeyCurrentUser, kRunOnce, "SETUP Ortavia-on-line").has_value());
    EXPECT_EQ(p.events("show", mark).size(), 1u) << "the wizard came up again after the restart";

    // The installation after the resume.
    for (const char* name : {"MsWinsck.ocx", "DAO360.dll", "msinet.ocx"}) {
        EXPECT_TRUE(p.machine().fileExists(std::string("C:\\Windows\\SysWOW64\\") + name)) << name;
    }
    std::vector<std::string> starts;
    for (const auto& e : p.events("start", mark)) starts.push_back(e.at(1));
    // The component folder as start-up names it: the Windows folder and "SYSWOW64\".
    EXPECT_EQ(starts, (std::vector<std::string>{"regsvr32.exe C:\\Windows\\SYSWOW64\\MsWinsck.ocx /s",
                                                "regsvr32.exe C:\\Windows\\SYSWOW64\\DAO360.dll /s",
                                                "regsvr32.exe C:\\Windows\\SYSWOW64\\msinet.ocx /s"}));
    std::vector<std::string> dde;
    for (const auto& e : p.events("dde", mark)) dde.push_back(e.at(2));
    EXPECT_EQ(dde, (std::vector<std::string>{"[CreateGroup(Ortavia-on-line,OL.GRP)]",
                                             "[AddItem(C:\\Ortavia_on_line\\Ortavia_on_line.exe,Ortavia-on-line,,,)]"}));
    EXPECT_TRUE(p.machine().fileExists(
        "C:\\Users\\Utente\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Ortavia-on-line\\"
        "Ortavia-on-line.lnk"));
    EXPECT_TRUE(p.machine().fileExists("C:\\Users\\Utente\\Desktop\\Ortavia-on-line.lnk"));

    // The restore offer, accepted.
    const auto after = p.events("msgbox", mark);
    ASSERT_EQ(after.size(), 2u);
    EXPECT_TRUE(after[0].at(3).starts_with("L'installazione ha richiesto la temporanea disabilitazione"));
    EXPECT_TRUE(after[1].at(3).starts_with("Il Controllo Account Utente è stato abilitato"));
    EXPECT_EQ(valueData(p, kHkeyLocalMachine, kPoliciesKey, "EnableLUA"), (std::vector<std::uint8_t>{1, 0, 0, 0}));
    EXPECT_FALSE(p.machine().fileExists(kDocumentsStateFile));
    EXPECT_EQ(p.events("end", mark).size(), 1u) << "Fine ended the program";
}

TEST(UacRoundTrip, DeclinedSwitchOffLeavesTheMachineAsItWas) {
    sim::SimFixture p;
    const sim::PlayResult r = p.play(scriptText("switch_off_declined.txt"));
    ASSERT_EQ(r.status, sim::kPlayed) << r.reason;
    const auto boxes = p.events("msgbox");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].at(3), "Installazione interrotta.");
    EXPECT_EQ(boxes[1].at(1), "64");
    EXPECT_TRUE(p.events("reg-set").empty());
    EXPECT_TRUE(p.events("show").empty());
    EXPECT_EQ(p.events("end").size(), 1u);
    EXPECT_FALSE(p.machine().fileExists(kDocumentsStateFile));
}

}  // namespace
}  // namespace ortavia::testrig
