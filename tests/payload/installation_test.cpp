#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "payload_sim.h"

namespace ortavia::payload_test {
namespace {

constexpr const char* kDir = "C:\\Ortavia_on_line";
constexpr const char* kExe = "C:\\Ortavia_on_line\\Ortavia_on_line.exe";
const char* const kComponents[] = {"MsWinsck.ocx", "DAO360.dll", "msinet.ocx"};
constexpr const char* kMsg8888 = "Installazione del file eseguibile fallita: la procedura sarà interrotta.";
constexpr const char* kMsg9999 =
    "Impossibile creare uno dei componenti del Programma. Il file eseguibile 'Setup_Ortavia_on_line.exe' potrebbe "
    "essere danneggiato. La procedura sarà interrotta.";

std::string in(const char* dir, const char* name) { return std::string(dir) + "\\" + name; }

#if defined(ORTAVIA_PAYLOAD_FILES_DIR)
std::vector<std::uint8_t> packed(const char* name) {
    std::ifstream f(std::string(ORTAVIA_PAYLOAD_FILES_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}
#endif

// Welcome, agreement (ticked, Next live a second later), destination, run,
// then the finishing timer.
void runWizard(SimSetup& s) {
    ASSERT_TRUE(s.start());
    ASSERT_TRUE(s.click("Label14"));
    ASSERT_TRUE(s.click("Check1"));
    s.wait(1500);
    ASSERT_TRUE(s.click("Label14"));
    s.click("Label14");
    s.wait(60000);
}

TEST(Installation, ACompleteRunInstallsTheFourFilesAndAnEmptyFolder) {
    SimSetup s(embeddedContent());
    runWizard(s);
    EXPECT_EQ(s.form().InstallDir, kDir);
    EXPECT_EQ(s.form().Label14.Caption(), "Fine");
    EXPECT_FALSE(s.ended());
    ASSERT_TRUE(s.machine().folderExists("C:\\Ortavia_on_line\\Testi_locali"));
    EXPECT_TRUE(std::filesystem::is_empty(s.machine().hostPath("C:\\Ortavia_on_line\\Testi_locali")));
    EXPECT_EQ(s.file(kExe).size(), 1617920u);
#if defined(ORTAVIA_PAYLOAD_FILES_DIR)
    EXPECT_TRUE(s.file(kExe) == packed("Ortavia_on_line.exe"));
    for (const char* c : kComponents) EXPECT_TRUE(s.file(in(kDir, c)) == packed(c)) << c;
#endif
    for (const auto& m : s.boxTexts()) ADD_FAILURE() << "message: " << m;
}

TEST(Installation, ASecondRunReplacesTheExecutableAndKeepsTheComponents) {
    const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
    SimSetup s(embeddedContent(), [&](sim::SimMachine& m) {
        m.addFolder("C:\\Ortavia_on_line\\Testi_locali");
        m.addFile(kExe, old);
        for (const char* c : kComponents) m.addFile(in(kDir, c), old);
    });
    s.rt().queueAnswer(kIdOk);  // the earlier installation is announced
    runWizard(s);
    EXPECT_EQ(s.file(kExe).size(), 1617920u);
    for (const char* c : kComponents) EXPECT_EQ(s.file(in(kDir, c)), old) << c;
    for (const auto& e : s.events("mkdir")) {
        EXPECT_EQ(e.at(1).rfind(kDir, 0), std::string::npos) << "folders already there are not made again: " << e.at(1);
    }
    EXPECT_EQ(s.form().Label14.Caption(), "Fine");
    // Components found in the install folder are still installed from there.
    for (const char* c : kComponents) EXPECT_EQ(s.file(s.form().SysDir + c), old) << c;
}

// Start-up on the welcome page, then the run called as Next would call it,
// after `prepare` has set up the destination page.
void runDirect(SimSetup& s, const std::function<void(Setup1&)>& prepare) {
    ASSERT_TRUE(s.start());
    try {
        s.rt().deliver([&] {
            prepare(s.form());
            s.form().RunInstallation();
        });
    } catch (const sim::ScriptFault& f) {
        ADD_FAILURE() << f.reason;
    }
}

TEST(Installation, TheDriveComesFromTheBoxOrTheChosenEarlierInstallation) {
    struct Case {
        const char* what;
        std::function<void(Setup1&)> prepare;
        const char* installDir;
        const char* exe;
    };
    const Case cases[] = {
        {"a single letter", [](Setup1& f) { f.Text2.setText("C"); }, kDir, kExe},
        {"an empty box: the drive of the program's folder",
         [](Setup1& f) { f.Text2.setText(""); }, "\\Ortavia_on_line", kExe},
        {"entry 2 of the list",
         [](Setup1& f) {
             f.ExistingInstalls = {"C:\\Ortavia_on_line", "F:\\Ortavia_on_line"};
             f.Combo1.AddItem("Scegliere...");
             for (const auto& e : f.ExistingInstalls) f.Combo1.AddItem(e);
             f.Combo1.setVisible(true);
             f.Combo1.setListIndex(2);
         },
         "F:\\Ortavia_on_line", "F:\\Ortavia_on_line\\Ortavia_on_line.exe"},
    };
    for (const Case& c : cases) {
        SimSetup s(embeddedContent(), [](sim::SimMachine& m) { m.addDrive({'F', sim::DriveType::Fixed, true}); });
        s.rt().queueAnswer(kIdOk);  // a desktop link without a drive may fail: that box is not ours
        runDirect(s, c.prepare);
        EXPECT_EQ(s.form().InstallDir, c.installDir) << c.what;
        EXPECT_EQ(s.file(c.exe).size(), 1617920u) << c.what;
        EXPECT_FALSE(s.form().Combo1.Visible()) << c.what;
        EXPECT_TRUE(s.form().Timer1.Enabled()) << c.what;
        EXPECT_FALSE(s.ended()) << c.what;
        for (const auto& m : s.boxTexts()) {
            EXPECT_TRUE(m != kMsg8888 && m != kMsg9999 && !std::isdigit(static_cast<unsigned char>(m[0])))
                << c.what << ": " << m;
        }
    }
}

std::shared_ptr<const PixelSource> notAPicture() { return picture(Canvas(4, 4), Source::Bitmap); }

TEST(Installation, FailuresShowOneMessageAndEndTheProgram) {
    const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
    struct Case {
        const char* what;
        std::function<void(sim::SimMachine&)> machine;
        std::function<void(SetupContent&)> content;
        std::string message;
        std::vector<std::uint8_t> exeAfter;  // empty: no executable
        int componentsWritten;
    };
    const auto noContentChange = [](SetupContent&) {};
    const Case cases[] = {
        {"old executable read-only (cannot be deleted)",
         [&](sim::SimMachine& m) {
             m.addFile(kExe, old);
             m.setReadOnly(kExe, true);
         },
         noContentChange, "75" + errorDescription(75), old, 0},
        {"old executable running (held open by the application)",
         [&](sim::SimMachine& m) {
             m.addFile(kExe, old);
             m.setRunning(kExe, true);
         },
         noContentChange, "75" + errorDescription(75), old, 0},
        {"old executable held open exclusively",
         [&](sim::SimMachine& m) {
             m.addFile(kExe, old);
             m.setLocked(kExe, true);
         },
         noContentChange, kMsg8888, old, 0},
        {"executable picture damaged", {}, [](SetupContent& c) { c.picture4 = notAPicture(); }, kMsg8888, {}, 0},
        {"second component picture damaged", {}, [](SetupContent& c) { c.picture5 = notAPicture(); }, kMsg9999,
         std::vector<std::uint8_t>(), 1},
    };
    for (const Case& c : cases) {
        SetupContent content = embeddedContent();
        c.content(content);
        SimSetup s(content, c.machine);
        if (!c.exeAfter.empty()) s.rt().queueAnswer(kIdOk);  // the earlier installation is announced
        s.rt().queueAnswer(kIdOk);
        runDirect(s, [](Setup1& f) { f.Text2.setText("C:"); });
        EXPECT_TRUE(s.ended()) << c.what;
        const auto boxes = s.events("msgbox");
        ASSERT_EQ(boxes.size(), c.exeAfter.empty() ? 1u : 2u) << c.what;
        EXPECT_EQ(boxes.back().at(1), "0") << c.what;
        EXPECT_EQ(boxes.back().at(2), kAppTitle) << c.what;
        EXPECT_EQ(boxes.back().at(3), c.message) << c.what;
        if (c.what == std::string("second component picture damaged")) {
            EXPECT_EQ(s.file(kExe).size(), 1617920u);
        } else {
            EXPECT_EQ(s.file(kExe), c.exeAfter) << c.what;
        }
        int written = 0;
        for (const char* name : kComponents) written += s.machine().fileExists(in(kDir, name)) ? 1 : 0;
        EXPECT_EQ(written, c.componentsWritten) << c.what;
        EXPECT_TRUE(s.events("start").empty()) << c.what << ": nothing is registered";
        EXPECT_FALSE(s.form().Timer1.Enabled()) << c.what;
    }
}

TEST(Installation, AFolderThatCannotBeMadeEndsWithTheRuntimeReport) {
    SimSetup s(embeddedContent(), [](sim::SimMachine& m) { m.setReadOnly("C:\\", true); });
    s.rt().queueAnswer(kIdOk);
    runDirect(s, [](Setup1& f) { f.Text2.setText("C:"); });
    EXPECT_TRUE(s.ended());
    const auto boxes = s.events("msgbox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].at(3).find("75"), std::string::npos) << boxes[0].at(3);
    EXPECT_NE(boxes[0].at(3).find(errorDescription(75)), std::string::npos) << boxes[0].at(3);
    EXPECT_FALSE(s.machine().folderExists(kDir));
    EXPECT_FALSE(s.form().Timer1.Enabled());
}

}  // namespace
}  // namespace ortavia::payload_test
