#include <filesystem>

#include "platform/sim/sim_fixture.h"

namespace ortavia::sim::testing {
namespace {

namespace fs = std::filesystem;

TEST_F(SimMachineTest, DefaultMachineHoldsTheStandardFoldersAndSettings) {
    EXPECT_EQ(os().getVersion() & 0xFFFFu, 10u);
    std::uint32_t needed = 0;
    EXPECT_EQ(os().getWindowsDirectory(145, needed), "C:\\Windows");
    EXPECT_EQ(needed, 10u);
    EXPECT_EQ(os().getSystemDirectory(145, needed), "C:\\Windows\\System32");
    EXPECT_EQ(os().logicalDrives(), (std::vector<std::string>{"C:", "D:", "E:"}));
    for (const char* folder : {"C:\\WINDOWS\\syswow64", "c:\\users\\utente\\desktop", "C:\\Users\\Utente\\Documents",
                               "C:\\Users\\Utente\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs",
                               "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"}) {
        EXPECT_TRUE(machine->folderExists(folder)) << folder;
    }
    for (const char* file : {"C:\\Users\\Utente\\Downloads\\SETUP_Ortavia_on_line.exe",
                             "C:\\Windows\\System32\\regsvr32.exe", "C:\\Windows\\SysWOW64\\regsvr32.exe"}) {
        EXPECT_TRUE(machine->fileExists(file)) << file;
    }
    EXPECT_EQ(machine->setupFolder(), "C:\\Users\\Utente\\Downloads");
    EXPECT_EQ(os().currentDirectory(), "C:\\Users\\Utente\\Downloads");
    const auto lua = machine->value(kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
                                    "enablelua");
    ASSERT_TRUE(lua.has_value());
    EXPECT_EQ(lua->type, kRegDword);
    EXPECT_EQ(lua->data, (std::vector<std::uint8_t>{1, 0, 0, 0}));
    RegKey key = 0;
    for (RegKey root : {kHkeyLocalMachine, kHkeyCurrentUser}) {
        for (const char* sub : {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                                "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"}) {
            EXPECT_EQ(os().regOpenKeyEx(root, sub, 0, kKeyRead, key), 0) << sub;
            os().regCloseKey(key);
        }
    }
}

TEST_F(SimMachineTest, JournalEscapesEveryFieldAndAppendsAcrossOpens) {
    machine->log({"msgbox", "64", "Tit\tolo", "riga 1\r\nC:\\x", "1"});
    reopen();
    machine->log({"end"});
    EXPECT_EQ(journal(), (std::vector<std::string>{"msgbox\t64\tTit\\tolo\triga 1\\r\\nC:\\\\x\t1", "end"}));
}

}  // namespace
}  // namespace ortavia::sim::testing
