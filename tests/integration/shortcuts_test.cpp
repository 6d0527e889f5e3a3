// The Program Manager group, the desktop link and the restore offer after them.
#include <algorithm>
#include <functional>
#include <utility>

#include "integration/rig.h"
#include "platform/sim/shell_link.h"

namespace ortavia::testrig {
namespace {

constexpr const char* kDesktopMessage =
    "Impossibile creare l'icona sul Desktop: il collegamento potrà essere creato manualmente";
constexpr const char* kRestoreQuestion =
    "L'installazione ha richiesto la temporanea disabilitazione del Controllo Account Utente. Si desidera "
    "ripristinare le condizioni originali del Controllo?";
constexpr const char* kRestored =
    "Il Controllo Account Utente è stato abilitato e sarà ripristinato automaticamente al prossimo riavvio del "
    "Computer.";
constexpr const char* kPrograms = "C:\\Users\\Utente\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs";
constexpr const char* kCommonPrograms = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
constexpr const char* kGroupLink = "\\Ortavia-on-line\\Ortavia-on-line.lnk";
constexpr const char* kDesktopLink = "C:\\Users\\Utente\\Desktop\\Ortavia-on-line.lnk";

bool contains(const std::vector<std::uint8_t>& bytes, const std::string& text) {
    return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

// A machine where this setup switched UAC off before the restart.
void uacSwitchedOff(sim::SimMachine& m) {
    sim::uacOff(m);
    m.addFile(kDocumentsStateFile, bytesOf("1\r\n"));
}

TEST(CreateShortcuts, GroupItemAndDesktopCopyOfItsLink) {
    Rig rig({}, [](sim::SimMachine& m) { m.addDrive({'D', sim::DriveType::Fixed, true}); });
    rig.asAfterStartUp("D:\\Ortavia_on_line");

    ASSERT_TRUE(rig.run([&] { rig.form().CreateShortcuts(); }));

    const auto dde = rig.events("dde");
    ASSERT_EQ(dde.size(), 2u);
    EXPECT_EQ(dde[0].at(1), "ProgMan|Progman");
    EXPECT_EQ(dde[0].at(2), "[CreateGroup(Ortavia-on-line,OL.GRP)]");
    EXPECT_EQ(dde[1].at(2), "[AddItem(D:\\Ortavia_on_line\\Ortavia_on_line.exe,Ortavia-on-line,,,)]");

    const auto group = rig.machine().readFileBytes(std::string(kPrograms) + kGroupLink);
    const auto desktop = rig.machine().readFileBytes(kDesktopLink);
    ASSERT_TRUE(group.has_value());
    EXPECT_EQ(desktop, group);
    // A Shell Link whose target is the installed program.
    ASSERT_GE(group->size(), 20u);
    EXPECT_EQ((*group)[0], sim::kLinkHeaderSize);
    EXPECT_TRUE(std::equal(std::begin(sim::kLinkClsid), std::end(sim::kLinkClsid), group->begin() + 4));
    EXPECT_TRUE(contains(*group, "D:\\Ortavia_on_line\\Ortavia_on_line.exe"));

    EXPECT_TRUE(rig.boxTexts().empty());
    EXPECT_EQ(rig.rt().screenMousePointer(), kPointerDefault);
    EXPECT_FALSE(rig.rt().linkIsOpen());
    EXPECT_EQ(rig.form().Label8.LinkTopic, "ProgMan|Progman");
    EXPECT_EQ(rig.form().Label8.LinkMode, 0);
    EXPECT_EQ(rig.form().Label8.LinkTimeout, 50);
}

// Which programs folder the group's link is taken from, by Windows version.
TEST(CreateShortcuts, ProgramsFolderByVersion) {
    const std::vector<std::pair<float, const char*>> cases = {
        {0.0f, kCommonPrograms}, {5.0f, kCommonPrograms}, {5.1f, kPrograms}, {6.1f, kPrograms}};
    for (const auto& [version, folder] : cases) {
        // Without Program Manager the links are the ones already there, one per folder.
        Rig rig([](sim::MachineConfig& m) { m.progman = false; },
                [](sim::SimMachine& m) {
                    m.addFile(std::string(kPrograms) + kGroupLink, bytesOf("per-user link"));
                    m.addFile(std::string(kCommonPrograms) + kGroupLink, bytesOf("all-users link"));
                });
        rig.asAfterStartUp();
        rig.form().WinVersion = version;
        ASSERT_TRUE(rig.run([&] { rig.form().CreateShortcuts(); }));
        EXPECT_EQ(rig.machine().readFileBytes(kDesktopLink), rig.machine().readFileBytes(std::string(folder) + kGroupLink))
            << version;
        EXPECT_TRUE(rig.boxTexts().empty()) << version;
    }
}

// Every way the desktop link can fail: one message, then the restore offer.
TEST(CreateShortcuts, FailedDesktopLinkIsReportedOnceAndTheRestoreOfferFollows) {
    const std::vector<std::pair<const char*, std::function<void(sim::MachineConfig&)>>> cases = {
        {"no Program Manager", [](sim::MachineConfig& m) { m.progman = false; }},
        {"desktop unresolvable", [](sim::MachineConfig& m) { m.desktop = ""; }},
        {"programs unresolvable", [](sim::MachineConfig& m) { m.programs = ""; }},
        {"desktop read-only", [](sim::MachineConfig& m) { m.readOnly.push_back("C:\\Users\\Utente\\Desktop"); }},
    };
    for (const auto& [label, tweak] : cases) {
        Rig rig(tweak, uacSwitchedOff);
        rig.asAfterStartUp();
        rig.answer(kIdOk);
        rig.answer(kIdOk);
        rig.answer(kIdOk);
        ASSERT_TRUE(rig.run([&] { rig.form().CreateShortcuts(); })) << label;

        EXPECT_EQ(rig.boxTexts(), (std::vector<std::string>{kDesktopMessage, kRestoreQuestion, kRestored})) << label;
        const auto boxes = rig.events("msgbox");
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(boxes[0].at(1), "0") << label;
        EXPECT_EQ(boxes[0].at(2), kAppTitle) << label;
        EXPECT_EQ(rig.enableLua(), 1u) << label;
        EXPECT_FALSE(rig.machine().fileExists(kDocumentsStateFile)) << label;
        EXPECT_EQ(rig.rt().screenMousePointer(), kPointerDefault) << label;
    }
}

// The finish page comes up while the desktop message is open; a click on
// Fine from then on must not cut off the restore offer.
TEST(CreateShortcuts, FineWaitsForTheRestoreOffer) {
    Rig rig([](sim::MachineConfig& m) { m.progman = false; }, uacSwitchedOff);
    Setup1& form = rig.form();
    auto click = [&](Label& label) { return rig.rt().deliver([&] { label.userClick(); }); };

    ASSERT_TRUE(rig.rt().start(form));
    ASSERT_TRUE(click(form.Label14));  // agreement
    ASSERT_TRUE(rig.rt().deliver([&] { form.Check1.userToggle(); }));
    rig.rt().wait(1000);
    ASSERT_TRUE(click(form.Label14));  // destination

    int refusedFineClicks = 0;
    rig.rt().onYield([&](std::uint64_t) {
        if (form.Label14.Caption() != "Fine") return;
        rig.rt().post([&] {
            if (!form.Label14.userClick()) ++refusedFineClicks;
        });
    });
    rig.answer(kIdOk, 120000);  // the desktop message, read long enough for the bar to fill
    rig.answer(kIdOk);          // restore? yes
    rig.answer(kIdOk);          // restored
    ASSERT_TRUE(click(form.Label14));  // the installation run

    EXPECT_FALSE(rig.rt().ended());
    EXPECT_GT(refusedFineClicks, 0) << "the finish page did not come up during the shortcut step";
    EXPECT_EQ(rig.boxTexts(), (std::vector<std::string>{kDesktopMessage, kRestoreQuestion, kRestored}));
    EXPECT_EQ(rig.enableLua(), 1u);

    // Once the run is over Fine takes effect.
    rig.rt().onYield({});
    EXPECT_TRUE(form.Label14.Enabled());
    ASSERT_TRUE(click(form.Label14));
    EXPECT_TRUE(rig.rt().ended());
}

}  // namespace
}  // namespace ortavia::testrig
