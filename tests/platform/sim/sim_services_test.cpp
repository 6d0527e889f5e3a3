#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/sim/faulty_services.h"
#include "platform/sim/sim_fixture.h"

namespace ortavia::sim::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPolicies = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr const char* kRunOnce = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// A machine whose machine.ini holds `ini` (the rest as on the default machine).
class CustomMachineTest : public SimMachineTest {
protected:
    void SetUp() override {}
    void build(const std::string& ini) {
        dir = freshFolder("c");
        fs::create_directories(dir);
        std::ofstream(dir / "machine.ini") << ini;
        machine = SimMachine::open(dir);
    }
};

std::vector<std::uint8_t> bytesOf(const std::string& s) { return {s.begin(), s.end()}; }

TEST_F(SimMachineTest, ChDirChangesTheFolderOfItsDriveButNeverTheCurrentDrive) {
    machine->addFolder("E:\\Dati\\Vecchi");
    os().changeDirectory("e:\\dati");
    EXPECT_EQ(os().currentDirectory(), "C:\\Users\\Utente\\Downloads");
    os().changeDrive("E");
    EXPECT_EQ(os().currentDirectory(), "E:\\dati");
    os().changeDirectory("Vecchi");
    EXPECT_EQ(os().currentDirectory(), "E:\\dati\\Vecchi");
    os().changeDrive("c:\\whatever");
    EXPECT_EQ(os().currentDirectory(), "C:\\Users\\Utente\\Downloads");
    os().changeDrive("");
    EXPECT_EQ(os().currentDirectory(), "C:\\Users\\Utente\\Downloads");
    os().changeDirectory("E:..");
    os().changeDrive("E");
    EXPECT_EQ(os().currentDirectory(), "E:\\dati");

    EXPECT_EQ(errorOf([&] { os().changeDrive("D"); }), err::kDeviceUnavailable) << "not ready";
    EXPECT_EQ(errorOf([&] { os().changeDrive("Z"); }), err::kDeviceUnavailable);
    EXPECT_EQ(errorOf([&] { os().changeDirectory("C:\\Nessuna"); }), err::kPathNotFound);
    EXPECT_EQ(errorOf([&] { os().changeDirectory("C:\\Windows\\System32\\regsvr32.exe"); }), err::kPathNotFound);
    EXPECT_EQ(errorOf([&] { os().changeDirectory("D:\\"); }), err::kDiskNotReady);
    EXPECT_EQ(os().currentDirectory(), "E:\\dati") << "failed calls change nothing";
}

TEST_F(SimMachineTest, DriveTypesAndFolderBuffers) {
    const std::pair<const char*, std::uint32_t> cases[] = {
        {"C:", kDriveFixed}, {"c:\\", kDriveFixed}, {"D:", kDriveCdrom},        {"E:", kDriveRemovable},
        {"Z:", kDriveNoRootDir}, {"1:", kDriveNoRootDir}, {":", kDriveNoRootDir}, {"C:\\Windows", kDriveNoRootDir},
    };
    for (const auto& [root, type] : cases) EXPECT_EQ(os().getDriveType(root), type) << root;

    std::uint32_t needed = 0;
    EXPECT_EQ(os().getWindowsDirectory(10, needed), "");  // "C:\Windows" and its NUL need 11
    EXPECT_EQ(needed, 11u);
    EXPECT_EQ(os().getWindowsDirectory(11, needed), "C:\\Windows");
    EXPECT_EQ(needed, 10u);
}

TEST_F(SimMachineTest, FileStatementsRaiseTheRuntimeNumbers) {
    machine->addFile("C:\\Dati\\bloccato.txt", bytesOf("x"));
    machine->addFile("C:\\Dati\\sola.txt", bytesOf("x"));
    machine->addFile("C:\\Protetta\\dentro.txt", bytesOf("x"));
    machine->setLocked("c:\\dati\\BLOCCATO.TXT", true);
    machine->setReadOnly("C:\\Dati\\sola.txt", true);
    machine->setReadOnly("C:\\Protetta", true);
    machine->addFile("C:\\Dati\\avviato.exe", bytesOf("MZ"));
    machine->setRunning("C:\\Dati\\avviato.exe", true);
    const std::string file = "C:\\Windows\\System32\\regsvr32.exe";
    struct Case {
        const char* what;
        std::function<void()> statement;
        int number;
    };
    const Case cases[] = {
        {"input, missing", [&] { os().openFile("C:\\nessuno.txt", FileMode::Input); }, err::kFileNotFound},
        {"input, missing folder", [&] { os().openFile("C:\\no\\x.txt", FileMode::Input); }, err::kPathNotFound},
        {"input, a folder", [&] { os().openFile("C:\\Windows", FileMode::Input); }, err::kPathFileAccess},
        {"input, locked", [&] { os().openFile("C:\\Dati\\bloccato.txt", FileMode::Input); }, err::kPermissionDenied},
        {"output, read-only", [&] { os().openFile("C:\\Dati\\sola.txt", FileMode::Output); }, err::kPathFileAccess},
        {"output, into read-only", [&] { os().openFile("C:\\Protetta\\n.txt", FileMode::Output); }, err::kPathFileAccess},
        {"binary, missing in read-only", [&] { os().openFile("C:\\Protetta\\n", FileMode::Binary); }, err::kPathFileAccess},
        {"output, drive not ready", [&] { os().openFile("D:\\x.txt", FileMode::Output); }, err::kDiskNotReady},
        {"output, no such drive", [&] { os().openFile("Z:\\x.txt", FileMode::Output); }, err::kPathNotFound},
        {"output, bad name", [&] { os().openFile("C:\\a|b", FileMode::Output); }, err::kBadFileNameOrNumber},
        {"binary, running program", [&] { os().openFile("C:\\Dati\\avviato.exe", FileMode::Binary); }, err::kPermissionDenied},
        {"kill, running program", [&] { os().deleteFile("C:\\Dati\\avviato.exe"); }, err::kPathFileAccess},
        {"copy, onto running program", [&] { os().copyFile(file, "C:\\Dati\\avviato.exe"); }, err::kPermissionDenied},
        {"kill, missing", [&] { os().deleteFile("C:\\nessuno.txt"); }, err::kFileNotFound},
        {"kill, locked", [&] { os().deleteFile("C:\\Dati\\bloccato.txt"); }, err::kPermissionDenied},
        {"kill, read-only", [&] { os().deleteFile("C:\\Dati\\sola.txt"); }, err::kPathFileAccess},
        {"kill, in read-only folder", [&] { os().deleteFile("C:\\Protetta\\dentro.txt"); }, err::kPathFileAccess},
        {"copy, missing source", [&] { os().copyFile("C:\\nessuno", "C:\\Dati\\n"); }, err::kFileNotFound},
        {"copy, locked source", [&] { os().copyFile("C:\\Dati\\bloccato.txt", "C:\\n"); }, err::kPermissionDenied},
        {"copy, onto locked", [&] { os().copyFile(file, "C:\\Dati\\bloccato.txt"); }, err::kPermissionDenied},
        {"copy, onto read-only", [&] { os().copyFile(file, "C:\\Dati\\sola.txt"); }, err::kPathFileAccess},
        {"copy, into read-only", [&] { os().copyFile(file, "C:\\Protetta\\r.exe"); }, err::kPathFileAccess},
        {"copy, into missing folder", [&] { os().copyFile(file, "C:\\no\\r.exe"); }, err::kPathNotFound},
        {"mkdir, exists", [&] { os().makeDirectory("c:\\WINDOWS"); }, err::kPathFileAccess},
        {"mkdir, missing parent", [&] { os().makeDirectory("C:\\a\\b"); }, err::kPathNotFound},
        {"mkdir, in read-only", [&] { os().makeDirectory("C:\\Protetta\\x"); }, err::kPathFileAccess},
    };
    for (const auto& c : cases) EXPECT_EQ(errorOf(c.statement), c.number) << c.what;
    EXPECT_TRUE(machine->fileExists("C:\\Dati\\bloccato.txt"));
    EXPECT_TRUE(machine->fileExists("C:\\Protetta\\dentro.txt"));
    EXPECT_FALSE(machine->fileExists("C:\\Protetta\\n.txt"));
    EXPECT_EQ(machine->readFileBytes("C:\\Dati\\sola.txt"), bytesOf("x"));
    // A running program's file still reads.
    const FileHandle h = os().openFile("C:\\Dati\\avviato.exe", FileMode::Input);
    EXPECT_EQ(os().readFile(h, 0, 2), bytesOf("MZ"));
    os().closeFile(h);
    EXPECT_EQ(machine->readFileBytes("C:\\Dati\\avviato.exe"), bytesOf("MZ"));
}

TEST_F(SimMachineTest, OutputTruncatesBinaryKeepsAndAFullDiskKeepsWhatWasWritten) {
    machine->addFile("C:\\Temp\\a.bin", bytesOf("abcdef"));
    FileHandle f = os().openFile("c:\\temp\\A.BIN", FileMode::Binary);
    EXPECT_EQ(os().fileLength(f), 6u);
    os().writeFile(f, 1, bytesOf("X"));
    EXPECT_EQ(os().readFile(f, 0, 10), bytesOf("aXcdef"));
    os().closeFile(f);
    os().closeFile(f);  // a second close does nothing
    EXPECT_EQ(machine->readFileBytes("C:\\Temp\\a.bin"), bytesOf("aXcdef"));

    f = os().openFile("C:\\Temp\\a.bin", FileMode::Output);
    EXPECT_EQ(os().fileLength(f), 0u);
    EXPECT_EQ(errorOf([&] { os().openFile("C:\\Temp\\a.bin", FileMode::Input); }), err::kFileAlreadyOpen);
    EXPECT_EQ(errorOf([&] { os().deleteFile("C:\\Temp\\a.bin"); }), err::kPathFileAccess);
    os().closeFile(f);
    EXPECT_EQ(machine->readFileBytes("C:\\Temp\\a.bin"), bytesOf(""));

    f = os().openFile("C:\\Temp\\nuovo.bin", FileMode::Binary);
    os().writeFile(f, 0, bytesOf("12"));
    machine->setDiskFull('c', true);
    os().writeFile(f, 0, bytesOf("3"));  // overwriting needs no new space
    EXPECT_EQ(errorOf([&] { os().writeFile(f, 2, bytesOf("4")); }), err::kDiskFull);
    os().closeFile(f);
    EXPECT_EQ(machine->readFileBytes("C:\\Temp\\nuovo.bin"), bytesOf("32"));
    EXPECT_EQ(errorOf([&] { os().copyFile("C:\\Windows\\System32\\regsvr32.exe", "C:\\r.exe"); }), err::kDiskFull);
    EXPECT_FALSE(machine->fileExists("C:\\r.exe"));

    // A read-only file still opens for binary access, but refuses Put.
    machine->setReadOnly("C:\\Temp\\nuovo.bin", true);
    f = os().openFile("C:\\Temp\\nuovo.bin", FileMode::Binary);
    EXPECT_EQ(os().readFile(f, 0, 2), bytesOf("32"));
    EXPECT_EQ(errorOf([&] { os().writeFile(f, 0, bytesOf("9")); }), err::kPathFileAccess);
    os().closeFile(f);

    const auto log = journal();
    EXPECT_NE(std::find(log.begin(), log.end(), "truncate\tC:\\\\Temp\\\\a.bin"), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "write\tC:\\\\Temp\\\\nuovo.bin\t3"), log.end());
}

TEST_F(SimMachineTest, CopyReplacesAndMkDirKeepsTheCaseItWasGiven) {
    machine->addFile("C:\\Temp\\Doc.txt", bytesOf("vecchio"));
    machine->addFile("C:\\Temp\\sorgente.txt", bytesOf("nuovo"));
    os().copyFile("C:\\Temp\\sorgente.txt", "c:\\temp\\DOC.TXT");
    EXPECT_EQ(machine->readFileBytes("C:\\Temp\\Doc.txt"), bytesOf("nuovo"));
    EXPECT_EQ(machine->hostPath("C:\\TEMP\\doc.txt").filename(), "Doc.txt");
    os().makeDirectory("C:\\Temp\\Testi_Locali");
    EXPECT_TRUE(machine->folderExists("c:\\temp\\testi_locali"));
    EXPECT_EQ(machine->hostPath("C:\\temp\\TESTI_LOCALI").filename(), "Testi_Locali");
    EXPECT_EQ(journal().back(), "mkdir\tC:\\\\Temp\\\\Testi_Locali");
}

TEST_F(SimMachineTest, ShellFoldersComeFromTheMachineAndUnknownOnesFail) {
    ItemIdList list = 0;
    ASSERT_EQ(os().shGetSpecialFolderLocation(kCsidlPersonal, list), 0);
    std::string buffer;
    EXPECT_NE(os().shGetPathFromIdList(list, 262, buffer), 0);
    EXPECT_EQ(buffer.size(), 262u);
    EXPECT_EQ(buffer.substr(0, buffer.find('\0')), "C:\\Users\\Utente\\Documents");
    os().globalFree(list);
    EXPECT_EQ(os().shGetPathFromIdList(list, 262, buffer), 0) << "a freed list names nothing";
    ItemIdList none = 0;
    EXPECT_LT(os().shGetSpecialFolderLocation(26, none), 0);
    EXPECT_EQ(none, 0u);
}

TEST_F(CustomMachineTest, AnUnresolvableShellFolderFails) {
    build("[shell]\ndesktop =\n");
    ItemIdList list = 0;
    EXPECT_NE(os().shGetSpecialFolderLocation(kCsidlDesktop, list), 0);
    EXPECT_EQ(os().shGetSpecialFolderLocation(kCsidlPrograms, list), 0);
}

TEST_F(SimMachineTest, ShGetValueCopiesOnlyWhatFits) {
    machine->setString(kHkeyLocalMachine, kPolicies, "Testo", "1");
    machine->setString(kHkeyLocalMachine, kPolicies, "Lungo", "12345");
    struct Case {
        const char* name;
        std::int32_t code;
        std::uint32_t type;
        std::uint32_t size;
        std::uint32_t word;  // the DWORD buffer afterwards (it starts as 0xEEEEEEEE)
    };
    const Case cases[] = {
        {"EnableLUA", 0, kRegDword, 4, 1},
        {"enablelua", 0, kRegDword, 4, 1},
        {"Testo", 0, kRegSz, 2, 0xEEEE0031},             // "1" NUL: not the number 1
        {"Lungo", kErrorMoreData, kRegSz, 6, 0xEEEEEEEE},  // too long: nothing copied
        {"Manca", kErrorFileNotFound, 77, 4, 0xEEEEEEEE},
    };
    for (const auto& c : cases) {
        std::array<std::uint8_t, 4> data;
        data.fill(0xEE);
        std::uint32_t type = 77;
        std::uint32_t size = 4;
        EXPECT_EQ(os().shGetValue(kHkeyLocalMachine, "SOFTWARE\\\\Microsoft\\Windows\\\\CurrentVersion\\Policies\\System",
                                  c.name, type, data, size),
                  c.code)
            << c.name;
        std::uint32_t word = 0;
        std::memcpy(&word, data.data(), 4);
        EXPECT_EQ(word, c.word) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
        EXPECT_EQ(size, c.size) << c.name;
    }
}

TEST_F(SimMachineTest, RegistryWritesPersistAndReadHandlesRefuseThem) {
    RegKey key = 0;
    ASSERT_EQ(os().regOpenKeyEx(kHkeyLocalMachine, kPolicies, 0, kKeyRead, key), 0);
    const std::array<std::uint8_t, 4> zero{};
    EXPECT_EQ(os().regSetValueEx(key, "EnableLUA", kRegDword, zero), kErrorAccessDenied);
    os().regCloseKey(key);
    ASSERT_EQ(os().regOpenKeyEx(kHkeyLocalMachine, kPolicies, 0, kKeyWrite, key), 0);
    EXPECT_EQ(os().regSetValueEx(key, "EnableLUA", kRegDword, zero), 0);
    EXPECT_EQ(os().regCloseKey(key), 0);
    EXPECT_EQ(os().regSetValueEx(key, "EnableLUA", kRegDword, zero), kErrorInvalidHandle) << "closed";
    EXPECT_EQ(os().regOpenKeyEx(kHkeyCurrentUser, "SOFTWARE\\Nessuna", 0, kKeyRead, key), kErrorFileNotFound);
    ASSERT_EQ(os().regCreateKeyEx(kHkeyCurrentUser, "SOFTWARE\\\\Ortavia\\Prova", 0, kKeyAllAccess, key), 0);
    os().regCloseKey(key);
    reopen();
    EXPECT_EQ(machine->value(kHkeyLocalMachine, kPolicies, "EnableLUA")->data, (std::vector<std::uint8_t>(4, 0)));
    EXPECT_EQ(os().regOpenKeyEx(kHkeyCurrentUser, "software\\ortavia\\prova", 0, kKeyRead, key), 0);
    EXPECT_NE(readText(dir / "registry.reg").find("[HKEY_CURRENT_USER\\SOFTWARE\\Ortavia\\Prova]"), std::string::npos);
    const auto log = journal();
    EXPECT_NE(std::find(log.begin(), log.end(),
                        "reg-set\tHKEY_LOCAL_MACHINE\\\\SOFTWARE\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Policies"
                        "\\\\System\tEnableLUA\tdword:00000000"),
              log.end());
}

TEST_F(CustomMachineTest, WithoutAdministratorRightsTheMachineKeysOnlyRead) {
    build("[user]\nadmin = no\nshutdown_privilege = no\n");
    RegKey key = 0;
    EXPECT_EQ(os().regOpenKeyEx(kHkeyLocalMachine, kPolicies, 0, kKeyWrite, key), kErrorAccessDenied);
    EXPECT_EQ(os().regOpenKeyEx(kHkeyLocalMachine, kPolicies, 0, kKeyAllAccess, key), kErrorAccessDenied);
    EXPECT_EQ(os().regCreateKeyEx(kHkeyLocalMachine, kRunOnce, 0, kKeyAllAccess, key), kErrorAccessDenied);
    EXPECT_EQ(os().regOpenKeyEx(kHkeyLocalMachine, kPolicies, 0, kKeyRead, key), 0);
    EXPECT_EQ(os().regCreateKeyEx(kHkeyCurrentUser, kRunOnce, 0, kKeyAllAccess, key), 0);

    // The privilege: AdjustTokenPrivileges "succeeds" and leaves 1300.
    TokenHandle token = 0;
    std::uint64_t luid = 0;
    os().setLastError(0);
    EXPECT_NE(os().openProcessToken(os().getCurrentProcess(), kTokenAdjustPrivileges | kTokenQuery, token), 0);
    EXPECT_NE(os().lookupPrivilegeValue("", "SeShutdownPrivilege", luid), 0);
    TokenPrivileges wanted{1, luid, kSePrivilegeEnabled};
    TokenPrivileges previous;
    std::uint32_t length = 0;
    EXPECT_NE(os().adjustTokenPrivileges(token, false, wanted, 16, previous, length), 0);
    EXPECT_EQ(os().getLastError(), static_cast<std::uint32_t>(kErrorNotAllAssigned));
}

TEST_F(SimMachineTest, PrivilegeHeldClearsTheLastErrorAndARestartIsJournaled) {
    TokenHandle token = 0;
    std::uint64_t luid = 0;
    ASSERT_NE(os().openProcessToken(os().getCurrentProcess(), 0x28, token), 0);
    ASSERT_NE(os().lookupPrivilegeValue("", "SeShutdownPrivilege", luid), 0);
    os().setLastError(87);
    TokenPrivileges previous;
    std::uint32_t length = 0;
    os().adjustTokenPrivileges(token, false, TokenPrivileges{1, luid, kSePrivilegeEnabled}, 16, previous, length);
    EXPECT_EQ(os().getLastError(), 0u);
    EXPECT_EQ(os().lookupPrivilegeValue("", "SeNessunPrivilegio", luid), 0);

    os().exitWindowsEx(kEwxReboot, 0xFFFFFFFFu);
    EXPECT_EQ(os().getLastError(), 0u);
    EXPECT_TRUE(machine->restartPending());
    EXPECT_EQ(journal().back(), "restart\t2\t-1");
}

TEST_F(CustomMachineTest, ARefusedRestartLeavesAnErrorAndNothingPending) {
    build("[services]\nrestart = refuse\n");
    os().setLastError(0);
    EXPECT_EQ(os().exitWindowsEx(kEwxReboot, 0xFFFFFFFFu), 0);
    EXPECT_EQ(os().getLastError(), 1115u);
    EXPECT_FALSE(machine->restartPending());
    const auto log = journal();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "restart\t2\t-1");
    EXPECT_EQ(log[1], "restart-refused\t1115");
}

TEST_F(SimMachineTest, RestartRunsTheRunOnceCommandsMachineFirstAndRemovesThem) {
    machine->setString(kHkeyCurrentUser, kRunOnce, "SETUP Ortavia-on-line", "C:\\Users\\Utente\\Downloads\\SETUP_Ortavia_on_line.exe");
    machine->setString(kHkeyLocalMachine, kRunOnce, "Altro", "C:\\altro.exe");
    os().exitWindowsEx(kEwxReboot, 0xFFFFFFFFu);
    os().changeDrive("E");
    const auto commands = machine->restartAndTakeRunOnce();
    EXPECT_EQ(commands, (std::vector<std::string>{"C:\\altro.exe", "C:\\Users\\Utente\\Downloads\\SETUP_Ortavia_on_line.exe"}));
    EXPECT_FALSE(machine->restartPending());
    EXPECT_FALSE(machine->value(kHkeyCurrentUser, kRunOnce, "SETUP Ortavia-on-line"));
    EXPECT_TRUE(machine->restartAndTakeRunOnce().empty());
    EXPECT_EQ(os().currentDirectory(), "C:\\Users\\Utente\\Downloads") << "a new process after the restart";
    reopen();
    EXPECT_FALSE(machine->value(kHkeyLocalMachine, kRunOnce, "Altro"));
}

TEST_F(SimMachineTest, StartingAProgramResolvesItAsCreateProcessDoes) {
    os().startProgram("regsvr32.exe C:\\Windows\\SysWOW64\\MsWinsck.ocx /s", kVbNormalFocus);
    EXPECT_EQ(journal().back(), "start\tregsvr32.exe C:\\\\Windows\\\\SysWOW64\\\\MsWinsck.ocx /s");
    EXPECT_EQ(errorOf([&] { os().startProgram("nessuno.exe /s", kVbNormalFocus); }), err::kFileNotFound);
    EXPECT_EQ(journal().back(), "start-refused\tnessuno.exe /s\t53");

    const std::string setup = "C:\\Users\\Mario Rossi\\Downloads\\SETUP_Ortavia_on_line.exe";
    machine->addFile(setup, bytesOf("MZ"));
    EXPECT_EQ(machine->programOf(setup), setup);
    machine->addFile("C:\\Users\\Mario.exe", bytesOf("MZ"));
    EXPECT_EQ(machine->programOf(setup), "C:\\Users\\Mario.exe") << "an unquoted blank cuts the name first";
    EXPECT_EQ(machine->programOf("\"" + setup + "\""), setup);
    EXPECT_EQ(machine->programOf("regsvr32"), "C:\\Windows\\System32\\regsvr32.exe");
    EXPECT_FALSE(machine->programOf("C:\\Users\\Utente\\nessuno.exe"));
}

TEST(InstanceLock, AnotherProcessHoldingTheLockIsAnotherCopy) {
    const fs::path dir = freshFolder("lock");
    auto machine = SimMachine::open(dir);
    EXPECT_FALSE(machine->anotherCopyRunning());
    int toChild[2];
    int toParent[2];
    ASSERT_EQ(::pipe(toChild), 0);
    ASSERT_EQ(::pipe(toParent), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Only async-safe-enough work in the child: take the lock, report, wait.
        auto other = SimMachine::open(dir);
        const char ok = other->lockInstance() ? 'y' : 'n';
        (void)!::write(toParent[1], &ok, 1);
        char go = 0;
        (void)!::read(toChild[0], &go, 1);
        other.reset();
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(toParent[0], &ok, 1), 1);
    EXPECT_EQ(ok, 'y');
    EXPECT_TRUE(machine->anotherCopyRunning());
    EXPECT_FALSE(machine->lockInstance());
    const char go = 'g';
    ASSERT_EQ(::write(toChild[1], &go, 1), 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_FALSE(machine->anotherCopyRunning()) << "the lock ends with its process";
    EXPECT_TRUE(machine->lockInstance());
    EXPECT_FALSE(machine->anotherCopyRunning()) << "our own lock is not another copy";
    machine.reset();
    fs::remove_all(dir);
}

TEST_F(CustomMachineTest, TheIniCanSayAnotherCopyRuns) {
    build("[setup]\nanother_copy_running = yes\n");
    EXPECT_TRUE(machine->anotherCopyRunning());
}

TEST_F(SimMachineTest, FaultWrapperFailsTheChosenCallsOnly) {
    FaultyServices faulty(os());
    faulty.failCall(FaultKind::OpenFile, 2);
    faulty.failCall(FaultKind::MakeDirectory, 1, true, err::kPermissionDenied);
    faulty.failCall(FaultKind::RegistryOpen, 1);
    faulty.failCall(FaultKind::AdjustPrivileges, 1);
    const std::string file = "C:\\Users\\Utente\\Downloads\\SETUP_Ortavia_on_line.exe";
    faulty.closeFile(faulty.openFile(file, FileMode::Input));
    EXPECT_EQ(errorOf([&] { faulty.openFile(file, FileMode::Input); }), err::kPathFileAccess);
    faulty.closeFile(faulty.openFile(file, FileMode::Input));
    EXPECT_EQ(faulty.calls(FaultKind::OpenFile), 3u);
    EXPECT_EQ(errorOf([&] { faulty.makeDirectory("C:\\a"); }), err::kPermissionDenied);
    EXPECT_EQ(errorOf([&] { faulty.makeDirectory("C:\\b"); }), err::kPermissionDenied);
    EXPECT_FALSE(machine->folderExists("C:\\a"));
    RegKey key = 0;
    EXPECT_EQ(faulty.regOpenKeyEx(kHkeyLocalMachine, kPolicies, 0, kKeyWrite, key), kErrorAccessDenied);
    EXPECT_EQ(faulty.regOpenKeyEx(kHkeyLocalMachine, kPolicies, 0, kKeyWrite, key), 0);
    TokenPrivileges previous;
    std::uint32_t length = 0;
    faulty.setLastError(0);
    EXPECT_NE(faulty.adjustTokenPrivileges(1, false, {}, 16, previous, length), 0);
    EXPECT_EQ(faulty.getLastError(), static_cast<std::uint32_t>(kErrorNotAllAssigned));
    faulty.clearFaults();
    faulty.makeDirectory("C:\\a");
    EXPECT_TRUE(machine->folderExists("C:\\a"));
}

}  // namespace
}  // namespace ortavia::sim::testing
