// Start-up: the version classification, the component folder probe, the UAC
// step's threshold, start-up's failure rule, a second copy, and the folder
// helpers leaving the program's own folder current.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/sim_fixture.h"

namespace ortavia::sim {
namespace {

struct VersionCase {
    int major, minor;
    float version;
    std::uint8_t result;
    bool is61OrLater;
};

TEST(CheckWindowsVersion, ClassifiesTheReportedVersion) {
    const VersionCase cases[] = {
        {6, 1, 6.1f, 1, true},    {4, 10, 4.1f, 2, false},  // minor 10 is joined as text: 4.10 reads 4.1
        {5, 0, 5.0f, 1, false},   {5, 1, 5.1f, 1, false},   {5, 2, 5.2f, 1, false},
        {6, 0, 6.0f, 1, false},   {0, 0, 0.0f, 0, false},   {10, 0, 10.0f, 1, true},
        {0, 5, 0.5f, 2, false},   {6, 2, 6.2f, 1, true},
    };
    for (const auto& c : cases) {
        SimFixture fx([&](SimMachine& m) { m.setWindowsVersion(c.major, c.minor); });
        SCOPED_TRACE(std::to_string(c.major) + "." + std::to_string(c.minor));
        EXPECT_EQ(fx.form().CheckWindowsVersion(), c.result);
        EXPECT_EQ(fx.form().WinVersion, c.version);
        EXPECT_EQ(fx.form().IsVersion61OrLater, c.is61OrLater);
    }
}

TEST(FormLoad, VersionMessagesAndTheirOutcome) {
    {
        SimFixture fx([](SimMachine& m) { m.setWindowsVersion(4, 10); });
        fx.rt().queueAnswer(kIdOk);
        EXPECT_FALSE(fx.start());
        const auto boxes = fx.events("msgbox");
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0][1], "16");
        EXPECT_EQ(boxes[0][2], kAppTitle);
        EXPECT_NE(boxes[0][3].find("non è compatibile"), std::string::npos);
        EXPECT_TRUE(fx.events("show").empty()) << "a window not yet shown is never shown";
    }
    {
        SimFixture fx([](SimMachine& m) { m.setWindowsVersion(0, 0); });
        fx.rt().queueAnswer(kIdOk);
        EXPECT_TRUE(fx.start());
        const auto boxes = fx.events("msgbox");
        ASSERT_EQ(boxes.size(), 1u) << "no UAC question without a version";
        EXPECT_EQ(boxes[0][1], "0");
        EXPECT_NE(boxes[0][3].find("non è in grado di determinare"), std::string::npos);
        EXPECT_EQ(fx.form().SysDir, "C:\\Windows\\System32\\") << "no probe without a version";
        EXPECT_EQ(fx.events("show").size(), 1u);
    }
}

TEST(FormLoad, ComponentFolderProbeFromVersion61) {
    struct Case {
        int major, minor;
        bool sysWow64;
        const char* sysDir;
    } cases[] = {
        {6, 1, true, "C:\\Windows\\SYSWOW64\\"},
        {6, 1, false, "C:\\Windows\\System32\\"},
        {6, 0, true, "C:\\Windows\\System32\\"},
        {10, 0, true, "C:\\Windows\\SYSWOW64\\"},
    };
    for (const auto& c : cases) {
        SimFixture fx([&](SimMachine& m) {
            m.setWindowsVersion(c.major, c.minor);
            uacOff(m);
            if (!c.sysWow64) std::filesystem::remove_all(m.hostPath("C:\\Windows\\SysWOW64"));
        });
        SCOPED_TRACE(c.sysDir);
        ASSERT_TRUE(fx.start());
        EXPECT_EQ(fx.form().WinDir, "C:\\Windows\\");
        EXPECT_EQ(fx.form().SysDir, c.sysDir);
        EXPECT_TRUE(fx.events("beep").size() == 1u) << "only the scan's beep: a missing SYSWOW64 is no failure";
        EXPECT_EQ(fx.machine().services().currentDirectory(), "C:\\Users\\Utente\\Downloads");
    }
}

TEST(FormLoad, UacIsAskedOnlyAboveVersion51) {
    for (const auto& [major, minor, asked] : {std::tuple{5, 1, false}, {5, 2, true}, {6, 0, true}, {5, 0, false}}) {
        SimFixture fx([&](SimMachine& m) { m.setWindowsVersion(major, minor); });
        SCOPED_TRACE(std::to_string(major) + "." + std::to_string(minor));
        if (asked) {
            fx.rt().queueAnswer(kIdCancel);  // the switch-off question: declined
            fx.rt().queueAnswer(kIdOk);      // "Installazione interrotta."
            EXPECT_FALSE(fx.start());
            ASSERT_FALSE(fx.events("msgbox").empty());
            EXPECT_EQ(fx.events("msgbox")[0][1], "33");
        } else {
            EXPECT_TRUE(fx.start());
            EXPECT_TRUE(fx.events("msgbox").empty());
        }
    }
}

TEST(FormLoad, UnexpectedFailureBeepsSkipsTheRestAndStillShowsTheWindow) {
    SimFixture fx({.customize = uacOff, .faulty = true, .content = SetupContent{}});
    // The first drive change is the component folder probe's: make it fail.
    fx.faults().failCall(FaultKind::ChangeDrive, 1);
    Setup1& form = fx.form();
    ASSERT_TRUE(fx.start());
    EXPECT_EQ(form.WinDir, "C:\\Windows\\");
    EXPECT_EQ(form.SysDir, "C:\\Windows\\System32\\") << "later steps skipped";
    // The failure's beep, then the scan's beep (nothing found): Form_Activate ran.
    EXPECT_EQ(fx.events("beep").size(), 2u);
    EXPECT_EQ(fx.events("show").size(), 1u);
}

TEST(FormLoad, SecondCopyEndsSilently) {
    SimFixture fx([](SimMachine& m) { m.setAnotherCopyRunning(true); });
    EXPECT_FALSE(fx.start());
    const auto journal = fx.journal();
    for (const auto& e : journal) {
        EXPECT_NE(e[0], "msgbox");
        EXPECT_NE(e[0], "show");
        EXPECT_NE(e[0], "beep");
    }
    EXPECT_EQ(fx.events("end").size(), 1u);
}

TEST(FolderHelpers, EsistePathAnswersAndAlwaysLeavesTheProgramsFolderCurrent) {
    SimFixture fx([](SimMachine& m) {
        m.addFile("C:\\Ortavia_on_line", {1, 2, 3});
        m.addFolder("E:\\Dati");
    });
    auto& os = fx.machine().services();
    const struct {
        const char* path;
        bool exists;
    } cases[] = {
        {"C:\\Windows", true},        {"c:\\WINDOWS\\system32", true}, {"C:\\Ortavia_on_line", false},
        {"C:\\Nessuna", false},       {"D:\\", false} /* no medium */, {"E:\\Dati", true},
        {"Q:\\Ortavia_on_line", false}, {"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(fx.form().esistePath(c.path), c.exists);
        // CurDir names the current drive's folder: both drive and folder are the program's.
        EXPECT_EQ(os.currentDirectory(), "C:\\Users\\Utente\\Downloads");
    }
}

TEST(FolderHelpers, ShellFolderPathIsPassedOnUnchanged) {
    SimFixture fx([](SimMachine& m) {
        m.setShellFolder(kCsidlPersonal, "C:\\Users\\Utente\\Documents\\");
        m.setShellFolder(kCsidlDesktop, "");
    });
    EXPECT_EQ(fx.form().GetShellFolderPath(kCsidlPersonal), "C:\\Users\\Utente\\Documents\\");
    EXPECT_EQ(fx.form().GetShellFolderPath(kCsidlPrograms),
              "C:\\Users\\Utente\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs");
    EXPECT_EQ(fx.form().GetShellFolderPath(kCsidlDesktop), "");
    EXPECT_EQ(fx.form().GetShellFolderPath(0x2b), "") << "a folder number the system does not know";
}

}  // namespace
}  // namespace ortavia::sim
