#include <filesystem>
#include <fstream>

#include "platform/sim/machine_config.h"
#include "platform/sim/registry.h"
#include "platform/sim/sim_fixture.h"

namespace ortavia::sim::testing {
namespace {

namespace fs = std::filesystem;

TEST(MachineIni, ReadsEveryKeyAndKeepsDefaultsForTheRest) {
    const auto c = parseMachineIni(
        "; a comment\n"
        "[windows]\nmajor = 6\nminor=1\n"
        "[drives]\nc = fixed\nF = cdrom not-ready\nG = remote\n"
        "[shell]\ndesktop =\n"
        "[user]\nadmin = no\nshutdown_privilege = NO\n"
        "[setup]\nfolder = C:\\Users\\Mario Rossi\\Downloads\nanother_copy_running = yes\n"
        "[services]\nprogman = no\nrestart = refuse\n"
        "[faults]\nlocked = C:\\a.txt; C:\\b.txt\nreadonly = C:\\Windows\\SysWOW64\nfull = E;f:\n",
        "machine.ini");
    EXPECT_EQ(c.major, 6);
    EXPECT_EQ(c.minor, 1);
    EXPECT_EQ(c.windowsFolder, "C:\\Windows");
    ASSERT_EQ(c.drives.size(), 3u);
    EXPECT_EQ(c.drives[1].letter, 'F');
    EXPECT_EQ(c.drives[1].type, DriveType::Cdrom);
    EXPECT_FALSE(c.drives[1].ready);
    EXPECT_EQ(c.desktop, "");
    EXPECT_EQ(c.documents, "C:\\Users\\Utente\\Documents");
    EXPECT_FALSE(c.admin);
    EXPECT_FALSE(c.shutdownPrivilege);
    EXPECT_EQ(c.setupFolder, "C:\\Users\\Mario Rossi\\Downloads");
    EXPECT_TRUE(c.anotherCopyRunning);
    EXPECT_FALSE(c.progman);
    EXPECT_FALSE(c.restartAccept);
    EXPECT_EQ(c.locked, (std::vector<std::string>{"C:\\a.txt", "C:\\b.txt"}));
    EXPECT_EQ(c.fullDrives, "EF");
    // What it writes it reads back the same.
    const auto again = parseMachineIni(formatMachineIni(c), "machine.ini");
    EXPECT_EQ(formatMachineIni(again), formatMachineIni(c));
}

TEST(MachineIni, BadLinesNameTheFileTheLineAndWhy) {
    struct Case {
        const char* text;
        int line;
        const char* why;
    };
    const Case cases[] = {
        {"[windows]\nmajor = 300\n", 2, "0 to 255"},
        {"[windows]\n\nmajr = 6\n", 3, "unknown key"},
        {"[drives]\nC = floppy\n", 2, "drive type"},
        {"[drives]\nC = fixed broken\n", 2, "not-ready"},
        {"[user]\nadmin = maybe\n", 2, "yes or no"},
        {"[services]\nrestart = later\n", 2, "accept or refuse"},
        {"[setup]\nfolder = Downloads\n", 2, "absolute path"},
        {"[nonsense]\n", 1, "unknown section"},
        {"major = 6\n", 1, "outside a section"},
        {"[faults]\nfull = CD\n", 2, "drive letters"},
    };
    for (const auto& c : cases) {
        try {
            parseMachineIni(c.text, "M/machine.ini");
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const MachineError& e) {
            EXPECT_EQ(e.file, "M/machine.ini");
            EXPECT_EQ(e.line, c.line) << c.text;
            EXPECT_NE(std::string(e.what()).find(c.why), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("M/machine.ini:" + std::to_string(c.line)), std::string::npos);
        }
    }
}

TEST(RegistryFile, RoundTripKeepsTypesEscapesAndCase) {
    const std::string text =
        "Windows Registry Editor Version 5.00\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ortavia]\n"
        "@=\"predefinito\"\n"
        "\"Percorso\"=\"C:\\\\Program Files\\\\\\\"x\\\"\"\n"
        "\"Numero\"=dword:0000002a\n"
        "\"Dati\"=hex:01,02,ff\n"
        "\"Espandi\"=hex(2):25,00\n"
        "\"Lungo\"=hex(b):01,02,03,04,\\\n"
        "  05,06,07,08\n";
    const Registry reg = Registry::parse(text, "registry.reg");
    const std::string key = "hkey_local_machine\\software\\\\ORTAVIA";
    EXPECT_EQ(reg.value(key, "percorso")->data, stringData("C:\\Program Files\\\"x\""));
    EXPECT_EQ(reg.value(key, "")->data, stringData("predefinito"));
    EXPECT_EQ(reg.value(key, "Numero")->type, kRegDword);
    EXPECT_EQ(reg.value(key, "Numero")->data, (std::vector<std::uint8_t>{42, 0, 0, 0}));
    EXPECT_EQ(reg.value(key, "Dati")->type, kRegBinary);
    EXPECT_EQ(reg.value(key, "Espandi")->type, kRegExpandSz);
    EXPECT_EQ(reg.value(key, "Lungo")->type, kRegQword);
    EXPECT_EQ(reg.value(key, "Lungo")->data.size(), 8u);
    EXPECT_EQ(reg.key(key)->path, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Ortavia");

    const std::string written = reg.format();
    EXPECT_NE(written.find("\"Percorso\"=\"C:\\\\Program Files\\\\\\\"x\\\"\"\n"), std::string::npos) << written;
    EXPECT_NE(written.find("\"Numero\"=dword:0000002a\n"), std::string::npos);
    EXPECT_EQ(Registry::parse(written, "registry.reg").format(), written);
}

TEST(RegistryFile, BadLinesNameTheLine) {
    const std::pair<const char*, int> cases[] = {
        {"REGEDIT4\n", 1},
        {"Windows Registry Editor Version 5.00\n\"a\"=dword:1\n", 2},
        {"Windows Registry Editor Version 5.00\n[HKEY_NOWHERE\\x]\n", 2},
        {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\x]\n\"a\"=dword:12\n", 3},
        {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\x]\n\"a\"=\"c:\\x\"\n", 3},
        {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\x]\n\n\"a\"=hex:0g\n", 4},
    };
    for (const auto& [text, line] : cases) {
        try {
            Registry::parse(text, "registry.reg");
            ADD_FAILURE() << "accepted: " << text;
        } catch (const MachineError& e) {
            EXPECT_EQ(e.line, line) << text << e.what();
        }
    }
}

TEST(MachineFolder, ABadFileLeavesTheMachineUntouched) {
    const fs::path dir = freshFolder("bad");
    fs::create_directories(dir);
    std::ofstream(dir / "machine.ini") << "[windows]\nmajor = 4\nminor = 10\n";
    std::ofstream(dir / "registry.reg") << "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\x]\noops\n";
    try {
        SimMachine::open(dir);
        ADD_FAILURE() << "opened";
    } catch (const MachineError& e) {
        EXPECT_EQ(e.line, 3);
        EXPECT_NE(e.file.find("registry.reg"), std::string::npos);
    }
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"machine.ini", "registry.reg"}));
    fs::remove_all(dir);
}

TEST(MachineFolder, AnIniAloneIsCompletedWithTheStandardContents) {
    const fs::path dir = freshFolder("ini");
    fs::create_directories(dir);
    std::ofstream(dir / "machine.ini") << "[windows]\nmajor = 6\nminor = 0\n[drives]\nC = fixed\n";
    {
        auto m = SimMachine::open(dir);
        EXPECT_TRUE(m->fileExists("C:\\Users\\Utente\\Downloads\\SETUP_Ortavia_on_line.exe"));
        EXPECT_TRUE(m->folderExists("C:\\Windows\\System32"));
        EXPECT_FALSE(m->folderExists("C:\\Windows\\SysWOW64")) << "6.0 is not given the 64-bit folder";
        EXPECT_EQ(m->services().logicalDrives(), (std::vector<std::string>{"C:"}));
        EXPECT_TRUE(m->value(kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
                             "EnableLUA"));
    }
    EXPECT_EQ(readText(dir / "machine.ini"), "[windows]\nmajor = 6\nminor = 0\n[drives]\nC = fixed\n")
        << "an existing machine.ini is not rewritten";
    fs::remove_all(dir);
}

}  // namespace
}  // namespace ortavia::sim::testing
