// Shared components: copy into the component folder, the fallback to the
// install folder, registration command lines.
#include <optional>

#include "integration/rig.h"
#include "integration/url_helper.h"

namespace ortavia::testrig {
namespace {

const std::vector<std::uint8_t> kOurs = bytesOf("component from the payload");
const std::vector<std::uint8_t> kTheirs = bytesOf("component another program installed");

struct ComponentCase {
    const char* label;
    const char* installDir;
    bool inInstallDir;
    bool inSysDir;
    bool sysDirReadOnly;
    std::vector<std::string> expectedStarts;
    std::optional<std::vector<std::uint8_t>> expectedInSysDir;
};

void PrintTo(const ComponentCase& c, std::ostream* os) { *os << c.label; }

class InstallSharedComponentTest : public ::testing::TestWithParam<ComponentCase> {};

TEST_P(InstallSharedComponentTest, CopiesWhereItCanAndRegistersWhatItFinds) {
    const ComponentCase& c = GetParam();
    const std::string sysFile = "C:\\Windows\\SysWOW64\\msinet.ocx";
    Rig rig(
        [&](sim::MachineConfig& m) {
            if (c.sysDirReadOnly) m.readOnly.push_back("C:\\Windows\\SysWOW64");
        },
        [&](sim::SimMachine& m) {
            m.addFolder(c.installDir);
            if (c.inInstallDir) m.addFile(std::string(c.installDir) + "\\msinet.ocx", kOurs);
            if (c.inSysDir) m.addFile(sysFile, kTheirs);
        });
    rig.asAfterStartUp(c.installDir);

    ASSERT_TRUE(rig.run([&] { rig.form().InstallSharedComponent("msinet.ocx"); }));

    EXPECT_EQ(rig.starts(), c.expectedStarts);
    EXPECT_EQ(rig.machine().readFileBytes(sysFile), c.expectedInSysDir);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InstallSharedComponentTest,
    ::testing::Values(
        ComponentCase{"MissingIsCopiedAndRegisteredInTheComponentFolder", "C:\\Ortavia_on_line", true, false, false,
                      {"regsvr32.exe C:\\Windows\\SYSWOW64\\msinet.ocx /s"}, kOurs},
        ComponentCase{"PresentIsNotReplacedButRegisteredAgain", "C:\\Ortavia_on_line", true, true, false,
                      {"regsvr32.exe C:\\Windows\\SYSWOW64\\msinet.ocx /s"}, kTheirs},
        ComponentCase{"ReadOnlyComponentFolderRegistersFromTheInstallFolder", "C:\\Ortavia_on_line", true, false,
                      true, {"regsvr32.exe C:\\Ortavia_on_line\\msinet.ocx /s"}, std::nullopt},
        ComponentCase{"BlankInTheInstallFolderIsQuoted", "C:\\Programmi utente\\Ortavia_on_line", true, false, true,
                      {"regsvr32.exe \"C:\\Programmi utente\\Ortavia_on_line\\msinet.ocx\" /s"}, std::nullopt},
        ComponentCase{"InNeitherFolderNothingStarts", "C:\\Ortavia_on_line", false, false, false, {}, std::nullopt}),
    [](const ::testing::TestParamInfo<ComponentCase>& p) { return std::string(p.param.label); });

TEST(InstallSharedComponent, RegistrationToolThatCannotStartGoesUnnoticed) {
    Rig rig({}, [](sim::SimMachine& m) { m.addFile("C:\\Ortavia_on_line\\DAO360.dll", kOurs); });
    rig.asAfterStartUp();
    rig.faults().failCall(sim::FaultKind::StartProgram, 1, true);
    // No message, no end of the program: the installation goes on.
    ASSERT_TRUE(rig.run([&] { rig.form().InstallSharedComponent("DAO360.dll"); }));
    EXPECT_TRUE(rig.boxTexts().empty());
    EXPECT_EQ(rig.machine().readFileBytes("C:\\Windows\\SysWOW64\\DAO360.dll"), kOurs);
}

TEST(FileExists, OnlyAFileThatOpensForReading) {
    Rig rig({}, [](sim::SimMachine& m) {
        m.addFile("C:\\dati\\libero.txt", bytesOf("x"));
        m.addFile("C:\\dati\\bloccato.txt", bytesOf("x"));
        m.setLocked("C:\\dati\\bloccato.txt", true);
    });
    WindowsServices& os = rig.faults();
    EXPECT_TRUE(url_helper::FileExists(os, "C:\\dati\\libero.txt"));
    EXPECT_FALSE(url_helper::FileExists(os, "C:\\dati\\mancante.txt"));
    EXPECT_FALSE(url_helper::FileExists(os, "C:\\dati"));
    EXPECT_FALSE(url_helper::FileExists(os, "C:\\dati\\bloccato.txt"));
    EXPECT_FALSE(url_helper::FileExists(os, "D:\\setup.exe"));  // a drive without a medium
    // The probe leaves nothing open: the file can still be deleted.
    EXPECT_NO_THROW(os.deleteFile("C:\\dati\\libero.txt"));
}

}  // namespace
}  // namespace ortavia::testrig
