// The switch-off at start-up, the restart sequence and the run-once entry.
#include <algorithm>
#include <functional>
#include <optional>

#include "integration/rig.h"
#include "uac/mrunonce.h"

namespace ortavia::testrig {
namespace {

constexpr const char* kQuestion =
    "Nel computer risulta abilitato il 'Controllo Account Utente'. L'installazione del Programma richiede la "
    "preventiva e temporanea disabilitazione del Controllo. Il Setup può eseguire in modo automatico la "
    "disabilitazione. Si desidera procedere?";
constexpr const char* kDeclined = "Installazione interrotta.";
constexpr const char* kFailed =
    "La procedura di disattivazione automatica del Controllo Account Utente non è andata a buon fine.\r\r"
    "Lanciare di nuovo il setup con l'opzione 'Esegui come Amministratore', oppure disabilitare manualmente il "
    "Controllo Account Utente.\r"
    "Gli Utenti possono trovare la procedura passo-passo illustrata all'indirizzo: "
    "www.ortavia-on-line.it/Disabilitare_Controllo_Account_Utente.htm).";
constexpr const char* kRestartQuestion =
    "Per completate la disabilitazione del Controllo Account Utente è necessario riavviare il Computer. Se dopo il "
    "riavvio il setup non partisse in modo automatico, lanciarlo manualmente per iniziare l'installazione. "
    "Riavviare ora?";
constexpr const char* kManualRestart =
    "Il Controllo Account Utente è stato disabilitato. Riavviare il computer per completare l'operazione. Se dopo "
    "il riavvio il setup non partisse in modo automatico, lanciarlo manualmente per iniziare l'installazione.";
constexpr const char* kEntryName = "SETUP Ortavia-on-line";

std::optional<std::string> runOnceCommand(Rig& rig) {
    const auto v = rig.machine().value(kHkeyCurrentUser, kRunOnce, kEntryName);
    if (!v) return std::nullopt;
    EXPECT_EQ(v->type, kRegSz);
    EXPECT_FALSE(v->data.empty());
    EXPECT_EQ(v->data.back(), 0) << "REG_SZ data carries its NUL";
    return std::string(v->data.begin(), std::find(v->data.begin(), v->data.end(), std::uint8_t{0}));
}

struct SwitchCase {
    const char* label;
    std::function<void(sim::MachineConfig&)> tweak;
    bool writeDoesNotTake;
    std::vector<int> answers;
    std::vector<std::string> boxes;
    bool ended;
    std::uint32_t enableLua;
    bool stateFile;
    bool runOnce;
    bool restartRequested;
};

void PrintTo(const SwitchCase& c, std::ostream* os) { *os << c.label; }

class SwitchOffTest : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(SwitchOffTest, StartUpOnAMachineWithUacOn) {
    const SwitchCase& c = GetParam();
    Rig rig(c.tweak);
    // The value reads back 1 although the write reported success.
    if (c.writeDoesNotTake) rig.faults().failCall(sim::FaultKind::RegistrySet, 1, false, 0);
    for (int a : c.answers) rig.answer(a);

    EXPECT_EQ(rig.rt().start(rig.form()), !c.ended);

    EXPECT_EQ(rig.boxTexts(), c.boxes);
    EXPECT_EQ(rig.rt().pendingAnswers(), 0u);
    for (const auto& box : rig.events("msgbox")) EXPECT_EQ(box.at(2), kSetupTitle);
    EXPECT_EQ(rig.enableLua(), c.enableLua);
    EXPECT_EQ(rig.machine().fileExists(kDocumentsStateFile), c.stateFile);
    EXPECT_EQ(runOnceCommand(rig).has_value(), c.runOnce);
    EXPECT_EQ(rig.machine().restartPending(), c.restartRequested);
    EXPECT_EQ(rig.events("show").size(), c.ended ? 0u : 1u);
}

const auto kDefault = [](sim::MachineConfig&) {};

INSTANTIATE_TEST_SUITE_P(
    Cases, SwitchOffTest,
    ::testing::Values(
        SwitchCase{"Accepted", kDefault, false, {kIdOk, kIdOk}, {kQuestion, kRestartQuestion}, false, 0, true, true,
                   true},
        SwitchCase{"Declined", kDefault, false, {kIdCancel, kIdOk}, {kQuestion, kDeclined}, true, 1, false, false, false},
        SwitchCase{"NoAdministrator", [](sim::MachineConfig& m) { m.admin = false; }, false, {kIdOk, kIdOk},
                   {kQuestion, kFailed}, true, 1, false, false, false},
        SwitchCase{"WriteDoesNotTake", kDefault, true, {kIdOk, kIdOk}, {kQuestion, kFailed}, true, 1, false, false, false},
        SwitchCase{"NoShutdownPrivilege", [](sim::MachineConfig& m) { m.shutdownPrivilege = false; }, false, {kIdOk, kIdOk},
                   {kQuestion, kManualRestart}, true, 0, true, false, false},
        SwitchCase{"RestartDeclined", kDefault, false, {kIdOk, kIdCancel, kIdOk}, {kQuestion, kRestartQuestion, kManualRestart},
                   true, 0, true, false, false},
        SwitchCase{"RestartRefused", [](sim::MachineConfig& m) { m.restartAccept = false; }, false, {kIdOk, kIdOk, kIdOk},
                   {kQuestion, kRestartQuestion, kManualRestart}, true, 0, true, true, false}),
    [](const ::testing::TestParamInfo<SwitchCase>& p) { return std::string(p.param.label); });

TEST(SwitchOff, AcceptedRestartIsRequestedForARebootWithEveryReason) {
    Rig rig;
    rig.answer(kIdOk);
    rig.answer(kIdOk);
    ASSERT_TRUE(rig.rt().start(rig.form()));
    const auto restarts = rig.events("restart");
    ASSERT_EQ(restarts.size(), 1u);
    EXPECT_EQ(restarts[0].at(1), "2");
    EXPECT_TRUE(restarts[0].at(2) == "-1" || restarts[0].at(2) == "4294967295") << restarts[0].at(2);
    EXPECT_EQ(rig.machine().readFileBytes(kDocumentsStateFile), (std::vector<std::uint8_t>{'1', '\r', '\n'}));
    // The run-once entry is written before the restart is asked for.
    EXPECT_EQ(runOnceCommand(rig), "C:\\Users\\Utente\\Downloads\\SETUP_Ortavia_on_line.exe");
}

TEST(SwitchOff, NotAskedWhereUacIsOffOrTheVersionIsNotAbove51) {
    Rig off({}, sim::uacOff);
    ASSERT_TRUE(off.rt().start(off.form()));
    EXPECT_TRUE(off.boxTexts().empty());

    Rig xp([](sim::MachineConfig& m) {
        m.major = 5;
        m.minor = 1;
    });
    ASSERT_TRUE(xp.rt().start(xp.form()));
    EXPECT_TRUE(xp.boxTexts().empty());
    EXPECT_EQ(xp.enableLua(), 1u);
}

// The command of the run-once entry by the setup's own folder.  A folder with
// a blank is quoted: Windows would otherwise try C:\Users\Mario.exe first.
TEST(RestartSequence, RunOnceCommandByTheSetupFolder) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"C:\\Users\\Utente\\Downloads", "C:\\Users\\Utente\\Downloads\\SETUP_Ortavia_on_line.exe"},
        {"C:\\", "C:\\SETUP_Ortavia_on_line.exe"},
        {"C:\\Users\\Mario Rossi\\Downloads", "\"C:\\Users\\Mario Rossi\\Downloads\\SETUP_Ortavia_on_line.exe\""},
    };
    for (const auto& [folder, command] : cases) {
        Rig rig([&](sim::MachineConfig& m) { m.setupFolder = folder; });
        rig.answer(kIdOk);
        ASSERT_TRUE(rig.run([&] { rig.form().RestartSequence(); })) << folder;
        EXPECT_EQ(runOnceCommand(rig), command) << folder;
    }
}

TEST(RestartSequence, QuotedEntryRestartsTheSetupAndNotAProgramNamedAfterTheFolder) {
    sim::SimFixture fx(sim::SimOptions{
        .config = [](sim::MachineConfig& m) { m.setupFolder = "C:\\Users\\Mario Rossi\\Downloads"; },
        .customize = [](sim::SimMachine& m) { m.addFile("C:\\Users\\Mario.exe", bytesOf("MZ another program")); }});
    const sim::PlayResult r = fx.play("answer 1\nanswer 1\nreboot\n");
    EXPECT_EQ(r.status, sim::kPlayed) << r.reason;
    std::vector<std::vector<std::string>> runOnce;
    for (const auto& e : fx.journal()) {
        // The player's record of each run-once command: the command and its outcome.
        const std::string& outcome = e.back();
        if (e.at(0).rfind("runonce", 0) == 0 && (outcome == "setup" || outcome == "other" || outcome == "missing")) {
            runOnce.push_back(e);
        }
    }
    ASSERT_EQ(runOnce.size(), 1u);
    EXPECT_EQ(runOnce[0].back(), "setup");
}

TEST(EnableShutdownPrivilege, EachStepJudgedByTheLastError) {
    struct Case {
        const char* label;
        bool privilegeHeld;
        std::optional<sim::FaultKind> fault;
        std::int32_t faultCode;
        std::int32_t expected;
    };
    const std::vector<Case> cases = {
        {"held", true, std::nullopt, 0, 0},
        {"not held", false, std::nullopt, 0, kErrorNotAllAssigned},
        {"token refused", true, sim::FaultKind::OpenProcessToken, kErrorAccessDenied, kErrorAccessDenied},
        {"lookup failed", true, sim::FaultKind::LookupPrivilege, 1313, 1313},
    };
    for (const auto& c : cases) {
        Rig rig([&](sim::MachineConfig& m) { m.shutdownPrivilege = c.privilegeHeld; });
        if (c.fault) rig.faults().failCall(*c.fault, 1, false, c.faultCode);
        EXPECT_EQ(rig.form().EnableShutdownPrivilege(), c.expected) << c.label;
    }
}

TEST(SetRunOnceEntry, RootAndKeyByTheTwoFlags) {
    struct Case {
        bool currentUser;
        bool everyLogon;
        RegKey root;
        const char* key;
    };
    const std::vector<Case> cases = {
        {true, false, kHkeyCurrentUser, MRunOnce::kRunOnceKey},
        {true, true, kHkeyCurrentUser, MRunOnce::kRunKey},
        {false, false, kHkeyLocalMachine, MRunOnce::kRunOnceKey},
        {false, true, kHkeyLocalMachine, MRunOnce::kRunKey},
    };
    for (const auto& c : cases) {
        Rig rig;
        EXPECT_TRUE(MRunOnce::SetRunOnceEntry(rig.faults(), "Voce", "C:\\x.exe", c.currentUser, c.everyLogon));
        for (const auto& other : cases) {
            const auto v = rig.machine().value(other.root, other.key, "Voce");
            const bool here = other.root == c.root && std::string(other.key) == c.key;
            ASSERT_EQ(v.has_value(), here) << c.currentUser << c.everyLogon << " looked at " << other.key;
            if (here) {
                EXPECT_EQ(v->type, kRegSz);
                EXPECT_EQ(v->data, bytesOf(std::string("C:\\x.exe") + '\0'));
            }
        }
    }
}

TEST(SetRunOnceEntry, FalseWhenTheKeyCannotBeOpenedOrTheValueWritten) {
    Rig rig;
    rig.faults().failCall(sim::FaultKind::RegistryCreate, 1);
    EXPECT_FALSE(MRunOnce::SetRunOnceEntry(rig.faults(), "Voce", "C:\\x.exe", true, false));
    rig.faults().failCall(sim::FaultKind::RegistrySet, 1);
    EXPECT_FALSE(MRunOnce::SetRunOnceEntry(rig.faults(), "Voce", "C:\\x.exe", true, false));
    EXPECT_FALSE(rig.machine().value(kHkeyCurrentUser, kRunOnce, "Voce").has_value());
}

}  // namespace
}  // namespace ortavia::testrig
