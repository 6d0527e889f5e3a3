// The UAC switch as read and written, the state file, and the restore offer.
#include "integration/rig.h"

namespace ortavia::testrig {
namespace {

constexpr const char* kRestoreQuestion =
    "L'installazione ha richiesto la temporanea disabilitazione del Controllo Account Utente. Si desidera "
    "ripristinare le condizioni originali del Controllo?";
constexpr const char* kRestored =
    "Il Controllo Account Utente è stato abilitato e sarà ripristinato automaticamente al prossimo riavvio del "
    "Computer.";
constexpr const char* kRestoreFailed = "Non è stato possibile abilitate in modo automatico Il Controllo Account Utente.";

TEST(IsUacEnabled, OnlyTheDwordOneReadsAsOn) {
    struct Case {
        const char* label;
        std::function<void(sim::SimMachine&)> set;
        bool on;
    };
    const std::vector<Case> cases = {
        {"dword 1", [](sim::SimMachine& m) { m.setDword(kHkeyLocalMachine, kPoliciesKey, "EnableLUA", 1); }, true},
        {"dword 0", [](sim::SimMachine& m) { m.setDword(kHkeyLocalMachine, kPoliciesKey, "EnableLUA", 0); }, false},
        {"dword 2", [](sim::SimMachine& m) { m.setDword(kHkeyLocalMachine, kPoliciesKey, "EnableLUA", 2); }, false},
        {"dword 0x101", [](sim::SimMachine& m) { m.setDword(kHkeyLocalMachine, kPoliciesKey, "EnableLUA", 0x101); },
         false},
        {"missing", [](sim::SimMachine& m) { m.deleteValue(kHkeyLocalMachine, kPoliciesKey, "EnableLUA"); }, false},
        {"text \"1\"", [](sim::SimMachine& m) { m.setString(kHkeyLocalMachine, kPoliciesKey, "EnableLUA", "1"); },
         false},
    };
    for (const auto& c : cases) {
        Rig rig({}, c.set);
        EXPECT_EQ(rig.form().IsUacEnabled(), c.on) << c.label;
    }
}

TEST(SetRegistryValue, WritesADwordIntoAnExistingKeyOnly) {
    Rig rig;
    EXPECT_TRUE(rig.form().SetRegistryValue(kHkeyLocalMachine, kPoliciesKey, "Prova", -2));
    const auto v = rig.machine().value(kHkeyLocalMachine, kPoliciesKey, "Prova");
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(v->type, kRegDword);
    EXPECT_EQ(v->data, (std::vector<std::uint8_t>{0xFE, 0xFF, 0xFF, 0xFF}));

    // A missing key is not created.
    const std::string missing = "SOFTWARE\\Ortavia\\Nuova";
    EXPECT_FALSE(rig.form().SetRegistryValue(kHkeyLocalMachine, missing, "Prova", 1));
    RegKey key = 0;
    EXPECT_NE(rig.machine().services().regOpenKeyEx(kHkeyLocalMachine, missing, 0, kKeyRead, key), 0);
}

TEST(SetRegistryValue, WithoutAdministratorRightsNothingIsWritten) {
    Rig rig([](sim::MachineConfig& m) { m.admin = false; });
    EXPECT_FALSE(rig.form().SetRegistryValue(kHkeyLocalMachine, kPoliciesKey, "EnableLUA", 0));
    EXPECT_EQ(rig.enableLua(), 1u);
}

TEST(UacStateFile, WrittenAsOneLineAndTakenAwayWhenRead) {
    Rig rig;
    rig.form().WriteUacStateFile("1");
    EXPECT_EQ(rig.machine().readFileBytes(kDocumentsStateFile), (std::vector<std::uint8_t>{'1', '\r', '\n'}));

    EXPECT_EQ(rig.form().ReadUacStateFile(), "1\r\n");
    EXPECT_FALSE(rig.machine().fileExists(kDocumentsStateFile));

    // A missing file reads as nothing and leaves nothing behind.
    EXPECT_EQ(rig.form().ReadUacStateFile(), "");
    EXPECT_FALSE(rig.machine().fileExists(kDocumentsStateFile));
}

TEST(UacStateFile, UnresolvableDocumentsMeansTheRootOfTheCurrentDrive) {
    Rig rig([](sim::MachineConfig& m) { m.documents = ""; });
    rig.form().WriteUacStateFile("1");
    EXPECT_TRUE(rig.machine().fileExists("C:\\Stato_UAC.txt"));
    EXPECT_EQ(rig.form().ReadUacStateFile(), "1\r\n");
    EXPECT_FALSE(rig.machine().fileExists("C:\\Stato_UAC.txt"));
}

// The restore offer by what the state file holds and by the Windows version.
struct RestoreCase {
    const char* label;
    float version;
    std::optional<std::string> content;  // empty: no state file
    bool offered;
    bool fileLeft;
};

void PrintTo(const RestoreCase& c, std::ostream* os) { *os << c.label; }

class OfferUacRestoreTest : public ::testing::TestWithParam<RestoreCase> {};

TEST_P(OfferUacRestoreTest, OffersOncePerRecordedSwitchOff) {
    const RestoreCase& c = GetParam();
    Rig rig({}, [&](sim::SimMachine& m) {
        m.setDword(kHkeyLocalMachine, kPoliciesKey, "EnableLUA", 0);
        if (c.content) m.addFile(kDocumentsStateFile, bytesOf(*c.content));
    });
    rig.asAfterStartUp();
    rig.form().WinVersion = c.version;
    rig.answer(kIdOk);  // the question
    rig.answer(kIdOk);  // the outcome

    ASSERT_TRUE(rig.run([&] { rig.form().OfferUacRestore(); }));

    if (c.offered) {
        EXPECT_EQ(rig.boxTexts(), (std::vector<std::string>{kRestoreQuestion, kRestored}));
        EXPECT_EQ(rig.enableLua(), 1u);
    } else {
        EXPECT_TRUE(rig.boxTexts().empty());
        EXPECT_EQ(rig.enableLua(), 0u);
    }
    EXPECT_EQ(rig.machine().fileExists(kDocumentsStateFile), c.fileLeft);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OfferUacRestoreTest,
    ::testing::Values(RestoreCase{"Recorded", 6.1f, "1\r\n", true, false},
                      RestoreCase{"OnlyALineEnd", 6.1f, "\r\n", true, false},
                      RestoreCase{"BlanksOnly", 6.1f, "    ", false, false},
                      RestoreCase{"NoFile", 6.1f, std::nullopt, false, false},
                      RestoreCase{"JustAbove51", 5.2f, "1\r\n", true, false},
                      RestoreCase{"Version51KeepsTheFile", 5.1f, "1\r\n", false, true},
                      RestoreCase{"Version50KeepsTheFile", 5.0f, "1\r\n", false, true}),
    [](const ::testing::TestParamInfo<RestoreCase>& p) { return std::string(p.param.label); });

TEST(OfferUacRestore, DeclinedLeavesUacOffAndTheFileGone) {
    Rig rig({}, [](sim::SimMachine& m) {
        m.setDword(kHkeyLocalMachine, kPoliciesKey, "EnableLUA", 0);
        m.addFile(kDocumentsStateFile, bytesOf("1\r\n"));
    });
    rig.asAfterStartUp();
    rig.answer(kIdCancel);
    ASSERT_TRUE(rig.run([&] { rig.form().OfferUacRestore(); }));
    EXPECT_EQ(rig.boxTexts(), (std::vector<std::string>{kRestoreQuestion}));
    EXPECT_EQ(rig.enableLua(), 0u);
    EXPECT_FALSE(rig.machine().fileExists(kDocumentsStateFile));
}

TEST(OfferUacRestore, AFailedWriteSaysSoAndTheInstallationGoesOn) {
    Rig rig([](sim::MachineConfig& m) { m.admin = false; },
            [](sim::SimMachine& m) {
                m.setDword(kHkeyLocalMachine, kPoliciesKey, "EnableLUA", 0);
                m.addFile(kDocumentsStateFile, bytesOf("1\r\n"));
            });
    rig.asAfterStartUp();
    rig.answer(kIdOk);
    rig.answer(kIdOk);
    ASSERT_TRUE(rig.run([&] { rig.form().OfferUacRestore(); }));
    EXPECT_EQ(rig.boxTexts(), (std::vector<std::string>{kRestoreQuestion, kRestoreFailed}));
    const auto boxes = rig.events("msgbox");
    EXPECT_EQ(boxes.at(0).at(1), "33");
    EXPECT_EQ(boxes.at(1).at(1), "64");
    EXPECT_EQ(boxes.at(1).at(2), kSetupTitle);
    EXPECT_EQ(rig.enableLua(), 0u);
}

}  // namespace
}  // namespace ortavia::testrig
