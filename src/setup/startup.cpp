// Start-up of the setup window: second copy, Windows version, the Windows and
// component folders (with the SYSWOW64 probe), the UAC step, and the program's
// own folder made current.
#include <charconv>
#include <string>

#include "setup/setup1.h"

namespace ortavia {

namespace {

// Thresholds, compared in single precision as the version itself is kept.
constexpr float kLowestSupportedVersion = 5.0f;
constexpr float kUacThreshold = 5.1f;    // strictly above
constexpr float kProbeThreshold = 6.1f;  // at or above

constexpr std::uint32_t kFolderBuffer = 145;
constexpr const char* kSysWow64Probe = "SYSWOW64";
constexpr const char* kSysWow64Stored = "SYSWOW64\\";

constexpr const char* kVersionUndeterminedMessage =
    "Attenzione, il Setup non è in grado di determinare la versione del Sistema Operativo utilizzato. "
    "L'Applicazione potrebbe non funzionare in modo corretto. Si consiglia di verificare che le caratteristiche "
    "e le condizioni del computer corrispondano ai requisiti di sistema.";
constexpr const char* kVersionTooOldMessage =
    "Attenzione: il Setup non è compatibile con la versione del Sistema Operativo rilevata.";

// The folder as the API wrote it into the buffer, with a trailing "\".
std::string folderWithBackslash(const std::string& written, std::uint32_t needed) {
    // A folder that does not fit the 145-character buffer comes back unwritten
    // with the size it needs: treat it as the unexpected failure it is rather
    // than keep a buffer of NULs as a path.
    if (written.empty() && needed >= kFolderBuffer) throw SetupError(err::kBadFileNameOrNumber);
    if (written.empty() || written.back() != '\\') return written + "\\";
    return written;
}

}  // namespace

std::uint8_t Setup1::CheckWindowsVersion() {
    WinVersion = 0.0f;
    std::uint8_t result = 0;
    try {
        const std::uint32_t low = os_.getVersion() & 0xFFFFu;
        const unsigned major = low & 0xFFu;
        const unsigned minor = (low >> 8) & 0xFFu;
        // The minor version is joined as text, so 4.10 reads as 4.1; "." is the
        // decimal point whatever the locale.
        const std::string joined = std::to_string(major) + "." + std::to_string(minor);
        float version = 0.0f;
        std::from_chars(joined.data(), joined.data() + joined.size(), version);
        WinVersion = version;
        if (WinVersion == 0.0f) {
            result = 0;
        } else if (WinVersion >= kLowestSupportedVersion) {
            result = 1;
        } else {
            result = 2;
        }
        if (WinVersion >= kProbeThreshold) IsVersion61OrLater = true;
    } catch (const SetupError&) {
        // Ends the query with what it reached so far.
    }
    return result;
}

std::string Setup1::GetWindowsDir() {
    std::uint32_t needed = 0;
    const std::string written = os_.getWindowsDirectory(kFolderBuffer, needed);
    return folderWithBackslash(written, needed);
}

std::string Setup1::GetWindowsSysDir() {
    std::uint32_t needed = 0;
    const std::string written = os_.getSystemDirectory(kFolderBuffer, needed);
    return folderWithBackslash(written, needed);
}

void Setup1::Form_Load() {
    if (rt_.anotherCopyRunning()) rt_.endProgram();

    try {
        switch (CheckWindowsVersion()) {
            case 0:
                rt_.messageBox(kVersionUndeterminedMessage, kMbOk, kAppTitle);
                break;
            case 2:
                rt_.messageBox(kVersionTooOldMessage, kMbIconError, kAppTitle);
                rt_.endProgram();
            default:
                break;
        }

        WinDir = GetWindowsDir();
        SysDir = GetWindowsSysDir();

        if (IsVersion61OrLater) {
            os_.changeDrive(text::leftChars(SysDir, 2));
            // A missing SYSWOW64 folder means 32-bit Windows: not a failure.
            bool found = true;
            try {
                os_.changeDirectory(WinDir + kSysWow64Probe);
            } catch (const SetupError&) {
                found = false;
            }
            if (found) {
                rt_.doEvents();
                SysDir = WinDir + kSysWow64Stored;
            }
        }

        if (WinVersion > kUacThreshold && IsUacEnabled()) UacSwitchOff();

        const std::string own = rt_.appPath();
        os_.changeDrive(text::leftChars(own, 2));
        os_.changeDirectory(own);
    } catch (const SetupError&) {
        // Any unexpected failure: a beep, the rest of start-up is skipped and
        // the window is still shown.
        rt_.beep();
    }
}

void Setup1::Form_Activate() { DetectPreviousInstallations(); }

}  // namespace ortavia
