#include <gtest/gtest.h>

#include "platform/sim/shell_link.h"
#include "platform/sim/sim_fixture.h"

namespace ortavia::sim::testing {
namespace {

// A reader of the parts of the format the writer produces, independent of it.
struct Reader {
    const std::vector<std::uint8_t>& b;
    std::uint32_t u16(std::size_t at) const { return b.at(at) | (b.at(at + 1) << 8); }
    std::uint32_t u32(std::size_t at) const { return u16(at) | (u16(at + 2) << 16); }
    std::string ansiz(std::size_t at) const {
        std::string s;
        while (b.at(at) != 0) s += static_cast<char>(b.at(at++));
        return s;
    }
    std::u16string unicodez(std::size_t at) const {
        std::u16string s;
        for (; u16(at) != 0; at += 2) s += static_cast<char16_t>(u16(at));
        return s;
    }
    // A counted Unicode string; `at` moves past it.
    std::u16string counted(std::size_t& at) const {
        const std::uint32_t n = u16(at);
        std::u16string s;
        for (std::uint32_t i = 0; i < n; ++i) s += static_cast<char16_t>(u16(at + 2 + 2 * i));
        at += 2 + 2 * n;
        return s;
    }
};

TEST(ShellLink, BytesFollowTheFormatFieldByField) {
    ShellLinkSpec fields;
    fields.target = "D:\\Ortavia_on_line\\Ortavia_on_line.exe";
    fields.workingDirectory = "D:\\Ortavia_on_line";
    fields.arguments = "/città";
    const auto bytes = makeShellLink(fields);
    const Reader r{bytes};

    EXPECT_EQ(r.u32(0), 0x4Cu);
    EXPECT_TRUE(std::equal(std::begin(kLinkClsid), std::end(kLinkClsid), bytes.begin() + 4));
    const std::uint32_t flags = r.u32(20);
    EXPECT_EQ(flags, kLinkHasLinkInfo | kLinkHasWorkingDir | kLinkHasArguments | kLinkIsUnicode);
    EXPECT_EQ(r.u32(60), 1u) << "ShowCommand";

    const std::size_t info = 76;
    const std::uint32_t infoSize = r.u32(info);
    EXPECT_EQ(r.u32(info + 4), 0x24u) << "header with the Unicode offsets";
    EXPECT_EQ(r.u32(info + 8), kLinkInfoVolumeIdAndLocalBasePath);
    const std::size_t volume = info + r.u32(info + 12);
    EXPECT_EQ(r.u32(volume + 4), 3u) << "DRIVE_FIXED";
    EXPECT_EQ(r.ansiz(volume + r.u32(volume + 12)), "");
    EXPECT_EQ(r.ansiz(info + r.u32(info + 16)), fields.target);
    EXPECT_EQ(r.u32(info + 20), 0u) << "no network part";
    EXPECT_EQ(r.ansiz(info + r.u32(info + 24)), "");
    EXPECT_EQ(r.unicodez(info + r.u32(info + 28)), u"D:\\Ortavia_on_line\\Ortavia_on_line.exe");
    EXPECT_LE(info + r.u32(info + 32) + 2, info + infoSize);

    std::size_t at = info + infoSize;
    EXPECT_EQ(r.counted(at), u"D:\\Ortavia_on_line");
    EXPECT_EQ(r.counted(at), u"/citt\u00e0");
    EXPECT_EQ(r.u32(at), 0u) << "terminal block";
    EXPECT_EQ(at + 4, bytes.size());
}

TEST(ShellLink, AnsiPathKeepsLatinLettersAndMarksTheRest) {
    EXPECT_EQ(utf8ToAnsi("C:\\Perché\\€"), "C:\\Perch\xe9\\?");
    EXPECT_EQ(utf8ToUtf16("a\xf0\x9f\x98\x80"), (std::u16string{u'a', 0xD83D, 0xDE00}));
}

class ProgramManagerTest : public SimMachineTest {
protected:
    DdeConversation connect() {
        const DdeConversation c = os().ddeConnect("ProgMan", "Progman");
        EXPECT_NE(c, 0u);
        return c;
    }
};

TEST_F(ProgramManagerTest, GroupBecomesAFolderAndItemALinkToTheCommandLine) {
    DdeConversation c = connect();
    EXPECT_TRUE(os().ddeExecute(c, "[CreateGroup(Ortavia-on-line,OL.GRP)]", 10000));
    os().ddeDisconnect(c);
    c = connect();
    EXPECT_TRUE(os().ddeExecute(c, "[AddItem(C:\\Ortavia_on_line\\Ortavia_on_line.exe,Ortavia-on-line,,,)]", 10000));
    os().ddeDisconnect(c);
    EXPECT_FALSE(os().ddeExecute(c, "[CreateGroup(X)]", 10000)) << "after the disconnect";

    const std::string group = "C:\\Users\\Utente\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Ortavia-on-line";
    EXPECT_TRUE(machine->folderExists(group));
    const auto link = machine->readFileBytes(group + "\\Ortavia-on-line.lnk");
    ASSERT_TRUE(link.has_value());
    const Reader r{*link};
    EXPECT_EQ(r.ansiz(76 + r.u32(76 + 16)), "C:\\Ortavia_on_line\\Ortavia_on_line.exe");
    std::size_t at = 76 + r.u32(76);
    EXPECT_EQ(r.counted(at), u"C:\\Ortavia_on_line");

    const auto log = journal();
    ASSERT_GE(log.size(), 2u);
    EXPECT_NE(std::find(log.begin(), log.end(), "dde\tProgMan|Progman\t[CreateGroup(Ortavia-on-line,OL.GRP)]"), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(),
                        "dde\tProgMan|Progman\t[AddItem(C:\\\\Ortavia_on_line\\\\Ortavia_on_line.exe,Ortavia-on-line,,,)]"),
              log.end());
}

TEST_F(ProgramManagerTest, UnknownOrMalformedCommandsAreRefused) {
    const DdeConversation c = connect();
    EXPECT_FALSE(os().ddeExecute(c, "[AddItem(C:\\a.exe,A)]", 1000)) << "no current group yet";
    EXPECT_FALSE(os().ddeExecute(c, "[Reload()]", 1000));
    EXPECT_FALSE(os().ddeExecute(c, "CreateGroup(A)", 1000));
    EXPECT_FALSE(os().ddeExecute(c, "[CreateGroup(A)", 1000));
    EXPECT_EQ(os().ddeConnect("ProgMan", "Altro"), 0u);
}


TEST(ProgramManager, OlderWindowsPutsGroupsAmongTheCommonProgramsAndNoServerMeansNoConversation) {
    struct Case {
        const char* ini;
        const char* groupParent;  // nullptr: no server answers
    };
    const Case cases[] = {
        {"[windows]\nmajor = 5\nminor = 0\n", "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"},
        {"[windows]\nmajor = 0\nminor = 0\n", "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"},
        {"[windows]\nmajor = 5\nminor = 1\n",
         "C:\\Users\\Utente\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"},
        {"[services]\nprogman = no\n", nullptr},
    };
    for (const auto& c : cases) {
        const auto dir = freshFolder("pm");
        std::filesystem::create_directories(dir);
        std::ofstream(dir / "machine.ini") << c.ini;
        auto m = SimMachine::open(dir);
        const DdeConversation conv = m->services().ddeConnect("PROGMAN", "progman");
        if (c.groupParent == nullptr) {
            EXPECT_EQ(conv, 0u) << c.ini;
        } else {
            EXPECT_TRUE(m->services().ddeExecute(conv, "[CreateGroup(Gruppo,G.GRP)]", 1000)) << c.ini;
            EXPECT_TRUE(m->folderExists(std::string(c.groupParent) + "\\Gruppo")) << c.ini;
        }
        m.reset();
        std::filesystem::remove_all(dir);
    }
}

TEST_F(ProgramManagerTest, AReadOnlyProgramsFolderRefusesTheGroup) {
    machine->setReadOnly("C:\\Users\\Utente\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs", true);
    EXPECT_FALSE(os().ddeExecute(connect(), "[CreateGroup(Ortavia-on-line,OL.GRP)]", 1000));
}

}  // namespace
}  // namespace ortavia::sim::testing
