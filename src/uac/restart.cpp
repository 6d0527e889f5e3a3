// The shutdown privilege, the run-once entry that resumes the setup after the
// restart, and the restart request itself.
#include "setup/setup1.h"
#include "uac/mrunonce.h"

namespace ortavia {

namespace {

constexpr const char* kShutdownPrivilege = "SeShutdownPrivilege";
constexpr const char* kLocalComputer = "";
constexpr std::uint32_t kTokenAccess = kTokenAdjustPrivileges + kTokenQuery;  // 0x28
constexpr std::uint32_t kTokenPrivilegesSize = 16;
constexpr std::uint32_t kAnyReason = 0xFFFFFFFFu;  // -1: every bit set

constexpr const char* kRunOnceEntryName = "SETUP Ortavia-on-line";

constexpr const char* kRestartQuestion =
    "Per completate la disabilitazione del Controllo Account Utente è necessario riavviare il Computer. "
    "Se dopo il riavvio il setup non partisse in modo automatico, lanciarlo manualmente per iniziare "
    "l'installazione. Riavviare ora?";
constexpr const char* kManualRestartMessage =
    "Il Controllo Account Utente è stato disabilitato. Riavviare il computer per completare l'operazione. "
    "Se dopo il riavvio il setup non partisse in modo automatico, lanciarlo manualmente per iniziare "
    "l'installazione.";

// The command Windows runs at the next logon.  Windows splits an unquoted
// command at the first blank and tries each prefix as a program, so
// C:\Users\Mario Rossi\Downloads\SETUP... would start C:\Users\Mario.exe when
// one exists: a path holding a blank goes in quotes.
std::string resumeCommandLine(const std::string& folder) {
    const std::string path = folder + kSetupFileName;
    if (path.find(' ') == std::string::npos) return path;
    return "\"" + path + "\"";
}

}  // namespace

std::int32_t Setup1::EnableShutdownPrivilege() {
    std::int32_t result = -1;
    // Each step is judged by the last error code it leaves, not by what the
    // call returns: AdjustTokenPrivileges "succeeds" even when the privilege
    // is not held and only the last error (1300) tells.
    auto lastError = [this] { return static_cast<std::int32_t>(os_.getLastError()); };
    try {
        os_.setLastError(0);
        const ProcessHandle process = os_.getCurrentProcess();
        if (const std::int32_t e = lastError(); e != 0) return e;

        TokenHandle token = 0;
        os_.openProcessToken(process, kTokenAccess, token);
        if (const std::int32_t e = lastError(); e != 0) return e;

        std::uint64_t luid = 0;
        os_.lookupPrivilegeValue(kLocalComputer, kShutdownPrivilege, luid);
        if (const std::int32_t e = lastError(); e != 0) return e;

        TokenPrivileges wanted;
        wanted.privilegeCount = 1;
        wanted.luid = luid;
        wanted.attributes = kSePrivilegeEnabled;
        TokenPrivileges previous;
        std::uint32_t returned = 0;
        os_.adjustTokenPrivileges(token, false, wanted, kTokenPrivilegesSize, previous, returned);
        if (const std::int32_t e = lastError(); e != 0) return e;

        result = 0;
    } catch (const SetupError&) {
        // Ends with the result reached so far.
    }
    return result;
}

void Setup1::RestartSequence() {
    auto manualRestartAndEnd = [this] {
        rt_.messageBox(kManualRestartMessage, kMbIconInformation, kSetupTitle);
        rt_.endProgram();
    };

    if (EnableShutdownPrivilege() != 0) manualRestartAndEnd();
    if (os_.getLastError() != 0) manualRestartAndEnd();
    if (rt_.messageBox(kRestartQuestion, kMbOkCancel + kMbIconQuestion, kSetupTitle) != kIdOk) manualRestartAndEnd();

    std::string folder = text::trimBlanks(rt_.appPath());
    if (folder.empty() || folder.back() != '\\') folder += "\\";
    // Not written is not reported: the messages tell the user to start the
    // setup by hand if it does not come back by itself.
    MRunOnce::SetRunOnceEntry(os_, kRunOnceEntryName, resumeCommandLine(folder), true, false);
    rt_.doEvents();

    os_.exitWindowsEx(kEwxReboot, kAnyReason);
    if (os_.getLastError() != 0) manualRestartAndEnd();
    // Accepted: start-up goes on and the window stays until the shutdown closes it.
}

}  // namespace ortavia
