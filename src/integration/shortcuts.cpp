// The Program Manager group with its item, the desktop copy of the item's
// link, and the UAC restore offer that closes the installation.
#include "setup/setup1.h"

namespace ortavia {

namespace {

constexpr const char* kProgManTopic = "ProgMan|Progman";
constexpr int kLinkModeManual = 2;
constexpr int kLinkModeNone = 0;
constexpr int kLinkTimeoutSending = 100;  // tenths of a second
constexpr int kLinkTimeoutIdle = 50;
// Program Manager answers the link only after a few turns of the message loop.
constexpr int kLinkSettleYields = 10;

constexpr const char* kGroupName = "Ortavia-on-line";
constexpr const char* kGroupFile = "OL.GRP";
constexpr const char* kItemTitle = "Ortavia-on-line";
// Where the shell leaves the group's item, relative to the programs folder.
constexpr const char* kGroupLinkRelative = "Ortavia-on-line\\Ortavia-on-line.lnk";
constexpr const char* kDesktopLinkName = "Ortavia-on-line.lnk";

// The per-user programs folder exists from this version on; older shells keep
// the groups under the all-users one.  Single precision, as the version is kept.
constexpr float kPerUserProgramsVersion = 5.1f;

constexpr const char* kDesktopLinkFailedMessage =
    "Impossibile creare l'icona sul Desktop: il collegamento potrà essere creato manualmente";

std::string withBackslash(const std::string& folder) {
    if (!folder.empty() && folder.back() == '\\') return folder;
    return folder + "\\";
}

// One Program Manager command over X's Label8.  Every step may fail (no
// Program Manager, a refused command, a timeout): each failure is passed
// over so the rest of the conversation, and the pointer reset, still happen.
void sendProgManCommand(Setup1& X, const std::string& command) {
    WindowRuntime& rt = X.rt();
    Label& link = X.Label8;
    rt.setScreenMousePointer(kPointerHourglass);

    link.LinkTopic = kProgManTopic;
    try {
        rt.linkOpen(link.LinkTopic);
        link.LinkMode = kLinkModeManual;
    } catch (const SetupError&) {
    }
    for (int i = 0; i < kLinkSettleYields; ++i) rt.doEvents();
    link.LinkTimeout = kLinkTimeoutSending;
    try {
        rt.linkExecute(command, link.LinkTimeout);
    } catch (const SetupError&) {
    }
    link.LinkTimeout = kLinkTimeoutIdle;
    // Closing a link that never opened is no change of mode.
    if (link.LinkMode != kLinkModeNone) {
        try {
            rt.linkClose();
        } catch (const SetupError&) {
        }
        link.LinkMode = kLinkModeNone;
    }

    rt.setScreenMousePointer(kPointerDefault);
}

}  // namespace

void Setup1::CreateProgManGroup(Setup1& X, const std::string& GroupName, const std::string& GroupPath) {
    sendProgManCommand(X, "[CreateGroup(" + GroupName + "," + GroupPath + ")]");
}

void Setup1::CreateProgManItem(Setup1& X, const std::string& CmdLine, const std::string& IconTitle) {
    sendProgManCommand(X, "[AddItem(" + CmdLine + "," + IconTitle + "," + ",,)]");
}

void Setup1::CreateShortcuts() {
    CreateProgManGroup(*this, kGroupName, kGroupFile);
    CreateProgManItem(*this, InstallDir + "\\" + kApplicationExecutable, kItemTitle);
    rt_.doEvents();
    rt_.bringToFront();
    rt_.doEvents();

    std::string programs =
        WinVersion < kPerUserProgramsVersion ? GetShellFolderPath(kCsidlCommonPrograms) : GetShellFolderPath(kCsidlPrograms);
    std::string desktop = GetShellFolderPath(kCsidlDesktop);

    if (programs.empty() || desktop.empty()) {
        rt_.messageBox(kDesktopLinkFailedMessage, kMbOk, kAppTitle);
        rt_.doEvents();
    } else {
        programs = withBackslash(programs);
        desktop = withBackslash(desktop);
        try {
            os_.copyFile(programs + kGroupLinkRelative, desktop + kDesktopLinkName);
            rt_.doEvents();
        } catch (const SetupError&) {
            rt_.messageBox(kDesktopLinkFailedMessage, kMbOk, kAppTitle);
        }
    }
    // The restore offer closes every path through this step.
    OfferUacRestore();
}

}  // namespace ortavia
