// Plays the user scripts of tests/scripts/wizard/ (the ones to try with
// ortavia-sim) on the machines their headers describe.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "wizard/wizard_support.h"

namespace ortavia {
namespace {

using sim::DriveType;
using sim::PlayResult;
using sim::SeenItem;
using sim::SimFixture;
using sim::SimMachine;
using wizard_test::fixedDisk;
using sim::uacOff;

std::string readScript(const std::string& name) {
    const auto path = std::filesystem::path(__FILE__).parent_path().parent_path() / "scripts" / "wizard" / name;
    std::ifstream in(path);
    EXPECT_TRUE(in.good()) << path;
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::vector<std::vector<std::string>> seenEvents(const PlayResult& r, const std::string& kind) {
    std::vector<std::vector<std::string>> out;
    for (const SeenItem& s : r.seen) {
        if (s.kind == SeenItem::Kind::Event && !s.fields.empty() && s.fields[0] == kind) out.push_back(s.fields);
    }
    return out;
}

std::vector<std::string> pages(const PlayResult& r) {
    std::vector<std::string> out;
    for (const SeenItem& s : r.seen) {
        if (s.kind == SeenItem::Kind::Page) out.push_back(s.fields.at(0));
    }
    return out;
}

const std::string kRefusal = "'Ortavia-on-line' può essere installato solo su disco rigido!";

struct ScriptCase {
    const char* file;
    std::function<void(SimMachine&)> machine;  // on top of UAC off
    std::vector<std::string> boxes;            // style, then text, of every message box in order
    std::size_t beeps;
    char installDrive;
};

const ScriptCase kScripts[] = {
    {"two_installations.txt",
     [](SimMachine& m) {
         fixedDisk(m, 'E');
         m.addFolder("C:\\Ortavia_on_line");
         m.addFolder("E:\\Ortavia_on_line");
     },
     {"64", "ATTENZIONE: su questo computer sono state individuate 2 precedenti installazioni della App "
            "Ortavia-on-line: sarà richiesto di scegliere l'installazione da aggiornare. Si consiglia di eliminare "
            "le installazioni multiple, che potrebbero generare confusione, sovrapposizione e perdita di dati!"},
     0, 'E'},
    {"one_installation.txt",
     [](SimMachine& m) {
         fixedDisk(m, 'D');
         m.addFolder("D:\\Ortavia_on_line");
     },
     {"64", "ATTENZIONE: su questo computer è stata individuata una precedente installazione della App "
            "Ortavia-on-line: il setup aggiornerà l'installazione esistente."},
     0, 'D'},
    {"none_found.txt",
     [](SimMachine& m) {
         m.addDrive({'D', DriveType::Cdrom, true});
         m.addFolder("D:\\Ortavia_on_line");
         m.addFolder("E:\\Ortavia_on_line");
     },
     {}, 1, 'C'},
    {"drive_box.txt",
     [](SimMachine& m) {
         fixedDisk(m, 'D');
         m.addDrive({'E', DriveType::Cdrom, true});
     },
     {"16", kRefusal, "16", kRefusal}, 1, 'D'},
};

TEST(WizardScripts, PlayOnTheirMachines) {
    for (const ScriptCase& c : kScripts) {
        SCOPED_TRACE(c.file);
        SimFixture fx([&](SimMachine& m) {
            uacOff(m);
            c.machine(m);
        });
        const PlayResult r = fx.play(readScript(c.file));
        ASSERT_EQ(r.status, sim::kPlayed) << r.reason;

        std::vector<std::string> boxes;
        for (const auto& e : seenEvents(r, "msgbox")) {
            boxes.push_back(e.at(1));
            boxes.push_back(e.at(3));
        }
        // Only the wizard's own boxes: the run itself asks nothing here.
        EXPECT_EQ(boxes, c.boxes);
        EXPECT_EQ(seenEvents(r, "beep").size(), c.beeps);

        // The run went to the drive the wizard settled on, and nowhere else.
        const std::string target = std::string(1, c.installDrive) + ":\\Ortavia_on_line";
        EXPECT_TRUE(fx.machine().folderExists(target + "\\Testi_locali"));
        for (char d : {'C', 'D', 'E'}) {
            if (d == c.installDrive) continue;
            for (const auto& e : seenEvents(r, "mkdir")) {
                EXPECT_NE(e.at(1).rfind(std::string(1, d) + ":\\Ortavia_on_line", 0), 0u) << e.at(1);
            }
        }
        const auto p = pages(r);
        ASSERT_GE(p.size(), 2u);
        EXPECT_EQ(p[p.size() - 2], "Destination");
        EXPECT_EQ(p.back(), "Installation in progress");
    }
}

}  // namespace
}  // namespace ortavia
