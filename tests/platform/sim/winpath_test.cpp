#include <gtest/gtest.h>

#include "platform/sim/winpath.h"

namespace ortavia::sim {
namespace {

CurrentFolders sample() {
    CurrentFolders c;
    c.drive = 'C';
    c.folders['C' - 'A'] = "C:\\Users\\Utente\\Downloads";
    c.folders['D' - 'A'] = "D:\\Giochi";
    return c;
}

TEST(WinPath, ResolvesLikeWin32) {
    struct Case {
        const char* in;
        const char* out;  // nullptr: refused
    };
    const Case cases[] = {
        {"C:\\Windows", "C:\\Windows"},
        {"c:\\windows\\", "C:\\windows"},
        {"C:\\\\Windows\\\\\\System32\\", "C:\\Windows\\System32"},
        {"C:/Windows/System32", "C:\\Windows\\System32"},
        {"C:\\", "C:\\"},
        {"C:", "C:\\Users\\Utente\\Downloads"},             // drive C's own current folder
        {"D:Salvataggi", "D:\\Giochi\\Salvataggi"},         // drive D's current folder, not the current drive's
        {"E:x", "E:\\x"},                                   // a drive never visited: its root
        {"setup.ini", "C:\\Users\\Utente\\Downloads\\setup.ini"},
        {"\\Temp", "C:\\Temp"},                             // the current drive's root
        {"..\\..\\Public", "C:\\Users\\Public"},
        {".\\a\\.\\b", "C:\\Users\\Utente\\Downloads\\a\\b"},
        {"C:\\..\\..", "C:\\"},                             // never above the root
        {"C:\\Nota.txt. ", "C:\\Nota.txt"},                 // trailing dots and blanks dropped
        {"", nullptr},
        {"1:", nullptr},
        {":", nullptr},
        {"C:\\a?b", nullptr},
        {"C:\\a*", nullptr},
        {"\\\\server\\share", nullptr},
    };
    for (const auto& c : cases) {
        const auto p = resolvePath(c.in, sample());
        if (c.out == nullptr) {
            EXPECT_FALSE(p.has_value()) << c.in;
        } else {
            ASSERT_TRUE(p.has_value()) << c.in;
            EXPECT_EQ(p->str(), c.out) << c.in;
        }
    }
}

TEST(WinPath, NamesCompareWithoutCaseAndKeepTheirCase) {
    const auto a = parseAbsolutePath("C:\\WINDOWS\\System32");
    const auto b = parseAbsolutePath("c:\\windows\\system32\\");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->key(), b->key());
    EXPECT_EQ(a->str(), "C:\\WINDOWS\\System32");
    EXPECT_TRUE(a->within(*parseAbsolutePath("c:\\Windows")));
    EXPECT_FALSE(parseAbsolutePath("C:\\Windows2\\System32")->within(a->parent()));
    EXPECT_FALSE(parseAbsolutePath("Windows").has_value());
    EXPECT_FALSE(parseAbsolutePath("C:Windows").has_value());
}

TEST(WinPath, RegistryKeyPathsTreatARunOfBackslashesAsOne) {
    EXPECT_EQ(splitKeyPath("SOFTWARE\\\\Microsoft\\\\Windows\\"),
              (std::vector<std::string>{"SOFTWARE", "Microsoft", "Windows"}));
    EXPECT_EQ(splitKeyPath("\\Run"), (std::vector<std::string>{"Run"}));
    EXPECT_TRUE(splitKeyPath("\\\\").empty());
}

TEST(WinPath, CommandLineSplitsAtTheFirstBlankOrTheClosingQuote) {
    auto cl = splitCommandLine("regsvr32.exe C:\\Windows\\SysWOW64\\MsWinsck.ocx /s");
    EXPECT_EQ(cl.program, "regsvr32.exe");
    EXPECT_EQ(cl.arguments, "C:\\Windows\\SysWOW64\\MsWinsck.ocx /s");
    cl = splitCommandLine("  \"C:\\Users\\Mario Rossi\\SETUP.exe\"  /x");
    EXPECT_TRUE(cl.quoted);
    EXPECT_EQ(cl.program, "C:\\Users\\Mario Rossi\\SETUP.exe");
    EXPECT_EQ(cl.arguments, "/x");
}

}  // namespace
}  // namespace ortavia::sim
