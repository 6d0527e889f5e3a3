#include <gtest/gtest.h>

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
    ASSERT_TRUE(s.fx.start());
    ASSERT_TRUE(s.fx.click("Label14"));
    ASSERT_TRUE(s.fx.click("Check1"));
    s.fx.wait(1500);
    ASSERT_TRUE(s.fx.click("Label14"));
    s.fx.click("Label14");
    s.fx.wait(60000);
}

std::vector<std::string> messages(SimSetup& s) {
    std::vector<std::string> out;
    for (const auto& e : s.fx.events("msgbox")) out.push_back(e.size() > 3 ? e[3] : "");
    return out;
}

TEST(Installation, ACompleteRunInstallsTheFourFilesAndAnEmptyFolder) {
    SimSetup s(embeddedContent());
    runWizard(s);
    EXPECT_EQ(s.setup->InstallDir, kDir);
    EXPECT_EQ(s.setup->Label14.Caption(), "Fine");
    EXPECT_FALSE(s.fx.ended());
    ASSERT_TRUE(s.machine->folderExists("C:\\Ortavia_on_line\\Testi_locali"));
    EXPECT_TRUE(std::filesystem::is_empty(s.machine->hostPath("C:\\Ortavia_on_line\\Testi_locali")));
    EXPECT_EQ(s.file(kExe).size(), 1617920u);
#if defined(ORTAVIA_PAYLOAD_FILES_DIR)
    EXPECT_TRUE(s.file(kExe) == packed("Ortavia_on_line.exe"));
    for (const char* c : kComponents) EXPECT_TRUE(s.file(in(kDir, c)) == packed(c)) << c;
#endif
    for (const auto& m : messages(s)) ADD_FAILURE() << "message: " << m;
}

TEST(Installation, ASecondRunReplacesTheExecutableAndKeepsTheComponents) {
    const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
    SimSetup s(embeddedContent(), [&](sim::SimMachine& m) {
        m.addFolder("C:\\Ortavia_on_line\\Testi_locali");
        m.addFile(kExe, old);
        for (const char* c : kComponents) m.addFile(in(kDir, c), old);
    });
    s.runtime->queueAnswer(kIdOk);  // the earlier installation is announced
    runWizard(s);
    EXPECT_EQ(s.file(kExe).size(), 1617920u);
    for (const char* c : kComponents) EXPECT_EQ(s.file(in(kDir, c)), old) << c;
    for (const auto& e : s.fx.events("mkdir")) {
        EXPECT_EQ(e.at(1).rfind(kDir, 0), std::string::npos) << "folders already there are not made again: " << e.at(1);
    }
    EXPECT_EQ(s.setup->Label14.Caption(), "Fine");
}

}  // namespace
}  // namespace ortavia::payload_test
