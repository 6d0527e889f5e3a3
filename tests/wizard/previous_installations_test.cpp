#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "wizard/wizard_support.h"

namespace ortavia {
namespace {

using sim::DriveType;
using sim::SimFixture;
using sim::SimMachine;
using wizard_test::fixedDisk;
using wizard_test::toDestination;
using sim::uacOff;

const std::string kOneFound =
    "ATTENZIONE: su questo computer è stata individuata una precedente installazione della App Ortavia-on-line: il "
    "setup aggiornerà l'installazione esistente.";
std::string severalFound(const std::string& n) {
    return "ATTENZIONE: su questo computer sono state individuate " + n +
           " precedenti installazioni della App Ortavia-on-line: sarà richiesto di scegliere l'installazione da "
           "aggiornare. Si consiglia di eliminare le installazioni multiple, che potrebbero generare confusione, "
           "sovrapposizione e perdita di dati!";
}
const std::string kPrompt = "Selezionare l'installazione esistente da aggiornare";
const std::string kEntry = "Aggiornamento installazione esistente su Unità ";

struct ScanCase {
    const char* name;
    std::function<void(SimMachine&)> machine;
    std::function<void(Setup1&)> beforeStart;
    std::vector<std::string> installs;
    std::vector<std::string> messages;
};

// The default machine: C: fixed (Windows), D: optical without a disc, E: removable.
const ScanCase kScanCases[] = {
    {"nothing anywhere", {}, {}, {""}, {}},
    {"empty drive list", {}, [](Setup1& f) { f.Drive1.entries.clear(); }, {""}, {}},
    {"only on drives that are no fixed disk, and as a file",
     [](SimMachine& m) {
         m.addDrive({'D', DriveType::Cdrom, true});
         m.addFolder("D:\\Ortavia_on_line");
         m.addFolder("E:\\Ortavia_on_line");  // removable
         m.addDrive({'N', DriveType::Remote, true});
         m.addFolder("N:\\Ortavia_on_line");
         m.addDrive({'R', DriveType::Ramdisk, true});
         m.addFolder("R:\\Ortavia_on_line");
         m.addFile("C:\\Ortavia_on_line", {1, 2, 3});
     },
     {}, {""}, {}},
    {"one, empty, on d:",
     [](SimMachine& m) {
         fixedDisk(m, 'D');
         m.addFolder("D:\\Ortavia_on_line");
     },
     {}, {"d:\\"}, {kOneFound}},
    {"on c: and e:",
     [](SimMachine& m) {
         fixedDisk(m, 'E');
         m.addFolder("C:\\Ortavia_on_line");
         m.addFolder("E:\\Ortavia_on_line\\Testi_locali");
     },
     {}, {"c:\\", "e:\\"}, {severalFound("2")}},
    {"on c:, f: and g:, drive list order",
     [](SimMachine& m) {
         fixedDisk(m, 'G');
         fixedDisk(m, 'F');
         m.addFolder("G:\\Ortavia_on_line");
         m.addFolder("C:\\Ortavia_on_line");
         m.addFolder("F:\\Ortavia_on_line");
     },
     {}, {"c:\\", "f:\\", "g:\\"}, {severalFound("3")}},
};

TEST(PreviousInstallations, ScanOutcomes) {
    for (const ScanCase& c : kScanCases) {
        SCOPED_TRACE(c.name);
        SimFixture fx([&](SimMachine& m) {
            uacOff(m);
            if (c.machine) c.machine(m);
        });
        Setup1& f = fx.form();
        if (c.beforeStart) c.beforeStart(f);
        for (std::size_t i = 0; i < c.messages.size(); ++i) fx.rt().queueAnswer(kIdOk);
        ASSERT_TRUE(fx.start());

        EXPECT_EQ(f.ExistingInstalls, c.installs);
        EXPECT_EQ(fx.boxTexts(), c.messages);
        for (const auto& e : fx.events("msgbox")) {
            EXPECT_EQ(e.at(1), "64");
            EXPECT_EQ(e.at(2), "Setup di Ortavia-on-line");
        }
        EXPECT_EQ(fx.events("beep").size(), c.messages.empty() ? 1u : 0u) << "the beep marks finding nothing";
        EXPECT_EQ(fx.machine().services().currentDirectory(), fx.machine().setupFolder());

        // The welcome page is untouched: selecting the prompt in the hidden
        // list must not disable Next.
        EXPECT_TRUE(f.Label14.Enabled());
        EXPECT_FALSE(f.Combo1.Visible());
        if (c.installs.size() >= 2) {
            std::vector<std::string> items{kPrompt};
            for (const auto& root : c.installs) items.push_back(kEntry + root);
            EXPECT_EQ(f.Combo1.items(), items);
            EXPECT_EQ(f.Combo1.ListIndex(), 0);
        } else {
            EXPECT_EQ(f.Combo1.ListCount(), 0);
        }
    }
}

TEST(DestinationPage, NothingFoundShowsTheDriveBoxWithTheWindowsDrive) {
    SimFixture fx(uacOff);
    ASSERT_TRUE(fx.start());
    toDestination(fx);
    Setup1& f = fx.form();
    EXPECT_TRUE(f.Text2.isSeen());
    EXPECT_TRUE(f.Label5.isSeen());
    EXPECT_EQ(f.Text2.Text(), "C:");
    EXPECT_EQ(f.DefaultDrive, "C:");
    EXPECT_EQ(f.Label6.Caption().rfind("Sarà ora creata la cartella 'Ortavia_on_line'", 0), 0u) << "designed caption";
    EXPECT_TRUE(f.Label14.Enabled());
    EXPECT_FALSE(f.Combo1.isSeen());
    EXPECT_TRUE(fx.events("msgbox").empty());
}

TEST(DestinationPage, OneFoundNamesItsDriveAndFillsTheHiddenBox) {
    SimFixture fx([](SimMachine& m) {
        uacOff(m);
        fixedDisk(m, 'D');
        m.addFolder("D:\\Ortavia_on_line");
    });
    fx.rt().queueAnswer(kIdOk);
    ASSERT_TRUE(fx.start());
    toDestination(fx);
    Setup1& f = fx.form();
    EXPECT_EQ(f.Label6.Caption(),
              "Sarà ora aggiornata l'installazione precedente nel disco d:\\. Premere Avanti per iniziare.");
    EXPECT_FALSE(f.Text2.isSeen());
    EXPECT_FALSE(f.Label5.isSeen());
    EXPECT_FALSE(f.Combo1.isSeen());
    EXPECT_EQ(f.Text2.Text(), "D:");
    EXPECT_TRUE(f.Label14.Enabled());
    EXPECT_EQ(fx.boxTexts(), std::vector<std::string>{kOneFound}) << "no refusal";
}

TEST(DestinationPage, SeveralFoundWaitForAChoiceOtherThanThePrompt) {
    SimFixture fx([](SimMachine& m) {
        uacOff(m);
        fixedDisk(m, 'E');
        m.addFolder("C:\\Ortavia_on_line");
        m.addFolder("E:\\Ortavia_on_line");
    });
    fx.rt().queueAnswer(kIdOk);
    ASSERT_TRUE(fx.start());
    toDestination(fx);
    Setup1& f = fx.form();
    EXPECT_EQ(f.Label6.Caption(),
              "Sarà ora aggiornata una installazione precedente tra quelle rilevate. Confermare o scegliere "
              "l'installazione da aggiornare e Premere Avanti per iniziare.");
    EXPECT_TRUE(f.Combo1.isSeen());
    EXPECT_EQ(f.Combo1.ListIndex(), 0);
    EXPECT_FALSE(f.Text2.isSeen());
    EXPECT_FALSE(f.Label5.isSeen());
    EXPECT_EQ(f.Text2.Text(), "C:") << "holds DefaultDrive until the run";
    EXPECT_FALSE(f.Label14.Enabled());

    const struct {
        int index;
        bool next;
    } picks[] = {{1, true}, {0, false}, {2, true}, {2, true}, {0, false}};
    for (const auto& p : picks) {
        ASSERT_TRUE(fx.rt().deliver([&] { f.Combo1.userSelect(p.index); }));
        EXPECT_EQ(f.Label14.Enabled(), p.next) << "entry " << p.index;
    }
}

}  // namespace
}  // namespace ortavia
