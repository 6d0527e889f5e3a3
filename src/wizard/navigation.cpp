// Next, Abort, the step dispatcher and the timer that finishes the progress
// bar and turns Next into Fine.
#include <cmath>

#include "setup/setup1.h"

namespace ortavia {

namespace {
constexpr std::int16_t kLastStep = 10;
constexpr const char* kFineCaption = "Fine";
constexpr const char* kAbortQuestion = "Si desidera interrompere l'installazione?";
constexpr const char* kAbortTitle = "Setup di 'Ortavia-on-line'";
constexpr int kAbortStyle = kMbYesNo + kMbIconQuestion + kMbDefButton2;  // 292
}  // namespace

void Setup1::NextStep() {
    Label14.setEnabled(false);
    switch (WizardStep) {
        case 0:
            ShowAgreementPage();
            label27.setVisible(false);
            Picture9.setVisible(true);
            break;
        case 1:
            ShowDestinationPage();
            break;
        case 2:
            InstallationRunning = true;
            RunInstallation();
            InstallationRunning = false;
            // The finish page may have come up while the shortcut step and the
            // restore offer were still running; Fine only goes live now.
            if (Label14.Caption() == kFineCaption) Label14.setEnabled(true);
            break;
        default:
            break;
    }
    if (WizardStep < kLastStep) ++WizardStep;
}

void Setup1::Label14_Click() {
    if (Label14.Caption() == kFineCaption) rt_.endProgram();
    if (Picture9.Visible()) return;
    NextStep();
}

void Setup1::Label15_Click() {
    if (rt_.messageBox(kAbortQuestion, kAbortStyle, kAbortTitle) == kIdYes) rt_.endProgram();
}

void Setup1::Timer1_Timer() {
    rt_.randomize();
    const float r = rt_.rnd();
    const float scale = Picture2.ScaleWidth();
    // Rnd * ScaleWidth is single precision; the factor 0.1 is a double literal.
    const double step = std::floor(static_cast<double>(r * scale) * 0.1);
    Picture3.setWidth(static_cast<float>(static_cast<double>(Picture3.Width()) + step));
    if (Picture3.Width() < scale) return;

    Timer1.setEnabled(false);
    Label9.setVisible(false);
    Picture2.setVisible(false);
    rt_.doEvents();
    rt_.setFormMousePointer(kPointerDefault);
    Label3.setVisible(true);
    Label14.setCaption(kFineCaption);
    // Fine waits for the installation run to return (see NextStep).
    Label14.setEnabled(!InstallationRunning);
    Label15.setEnabled(false);
    rt_.doEvents();
    const std::string own = rt_.appPath();
    os_.changeDrive(text::leftChars(own, 1));
    os_.changeDirectory(own);
    rt_.doEvents();
}

}  // namespace ortavia
