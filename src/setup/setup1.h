// The setup window Setup1: its state, its controls (the window model) and
// every procedure of the wizard, payload, integration and UAC code.  The
// procedures are members so they share the window's state the way the
// original form did; their bodies live in the folder of their subsystem:
//   setup/        start-up, version and folder queries, folder helpers
//   wizard/       navigation, agreement, previous installations, drive box
//   payload/      extractor and installation run
//   integration/  shared components, Program Manager group, desktop link
//   uac/          UAC switch, state file, restart sequence
// The window reaches the operating system only through the two tables it is
// constructed with.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "content/content.h"
#include "platform/window_runtime.h"
#include "platform/windows_services.h"
#include "setup/window_model.h"

namespace ortavia {

// Titles shared by every subsystem.
inline constexpr const char* kAppTitle = "Installatore Ortavia-on-line ";     // trailing blank is part of it
inline constexpr const char* kSetupTitle = "Setup di Ortavia-on-line";        // start-up, scan and UAC messages
inline constexpr const char* kWindowCaption = "Installatore Ortavia_on_line'";  // trailing apostrophe is part of it
inline constexpr const char* kSetupFileName = "SETUP_Ortavia_on_line.exe";
// The application's executable in the install folder (written by the run,
// started by the Program Manager item).
inline constexpr const char* kApplicationExecutable = "Ortavia_on_line.exe";

// The progress track's own scale: the single-precision value nearest 42.899952.
inline constexpr float kProgressScale = 42.89995f;

class Setup1 : public Form {
public:
    Setup1(WindowsServices& os, WindowRuntime& rt, SetupContent content);

    WindowsServices& os() { return os_; }
    WindowRuntime& rt() { return rt_; }

    // --- Setup state ----------------------------------------------------------
    float WinVersion = 0.0f;
    bool IsVersion61OrLater = false;
    std::string WinDir;
    std::string SysDir;
    std::string DefaultDrive;
    std::vector<std::string> ExistingInstalls;
    std::int16_t WizardStep = 0;
    std::string InstallDir;
    std::vector<std::uint8_t> PayloadBytes;
    // True while RunInstallation is on the stack: Fine must not end the
    // program before the shortcut step and the UAC restore offer are over.
    bool InstallationRunning = false;

    // --- Controls (names of the window definition) ---------------------------
    Label label27;
    Label Label17;
    Label Label15;  // Abort
    Label Label14;  // Next / Fine
    Panel Picture9;  // agreement panel
    Label Label16;
    TextBox Text4;
    CheckBox Check1;
    std::array<Label*, 11> Label2{};  // hidden paragraph sources, see label2Storage_
    Label Label1;
    Label Label6;
    Label Label5;
    TextBox Text2;  // drive box
    ComboBox Combo1;
    DriveList Drive1;
    Label Label9;
    PictureBox Picture2;  // progress track, scale kProgressScale
    PictureBox Picture3;  // progress fill, width in Picture2's scale
    Label Label3;
    Label Label8;  // DDE client
    PictureBox Picture4;
    PictureBox Picture5;
    PictureBox Picture6;
    PictureBox Picture7;
    Timer Timer1;
    Timer Timer5;

    // --- setup/: start-up and folder helpers ---------------------------------
    void Form_Load() override;
    void Form_Activate() override;
    std::uint8_t CheckWindowsVersion();
    std::string GetWindowsDir();
    std::string GetWindowsSysDir();
    bool esistePath(const std::string& path);
    std::string GetShellFolderPath(std::int32_t CSIDL);

    // --- wizard/: navigation -------------------------------------------------
    void NextStep();
    void Label14_Click();
    void Label15_Click();
    void Timer1_Timer();
    // --- wizard/: agreement --------------------------------------------------
    void ShowAgreementPage();
    void Check1_Click();
    void Timer5_Timer();
    // --- wizard/: previous installations and drive box -----------------------
    void DetectPreviousInstallations();
    void ShowDestinationPage();
    void Combo1_Click();
    void Text2_Change();
    void Text2_LostFocus();

    // --- payload/ ------------------------------------------------------------
    bool ExtractPictureToFile(std::int32_t lastIndex, const std::string& path, PictureBox& picture);
    void RunInstallation();

    // --- integration/ --------------------------------------------------------
    void InstallSharedComponent(const std::string& name);
    void CreateProgManGroup(Setup1& X, const std::string& GroupName, const std::string& GroupPath);
    void CreateProgManItem(Setup1& X, const std::string& CmdLine, const std::string& IconTitle);
    void CreateShortcuts();

    // --- uac/ ------------------------------------------------------------------
    bool IsUacEnabled();
    bool SetRegistryValue(RegKey hKey, const std::string& KeyName, const std::string& ValueName, std::int32_t value);
    void WriteUacStateFile(const std::string& Content);
    std::string ReadUacStateFile();
    void OfferUacRestore();
    void UacSwitchOff();          // the UAC switch-off sequence
    void RestartSequence();       // the restart sequence that follows it
    std::int32_t EnableShutdownPrivilege();

    // The progress bar grows by f of its full width.
    void growProgress(float f);

private:
    WindowsServices& os_;
    WindowRuntime& rt_;
    SetupContent content_;
    std::array<std::unique_ptr<Label>, 11> label2Storage_;
    // The drive box's rules re-run nested on every assignment they make; a
    // refusal shown once in one outermost run is not repeated for the
    // fallback drive (wizard/drive_box.cpp).
    int text2ChangeDepth_ = 0;
    bool text2RefusalShown_ = false;
};

}  // namespace ortavia
