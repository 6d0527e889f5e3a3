// Earlier installations and the destination page: the scan of the fixed disks
// for the application's folder at activation, the three forms of the page,
// and the choice list of installations to update.
#include <string>

#include "setup/setup1.h"

namespace ortavia {

namespace {

constexpr const char* kInstallFolderName = "Ortavia_on_line";

constexpr const char* kChoicePrompt = "Selezionare l'installazione esistente da aggiornare";
constexpr const char* kChoiceEntryPrefix = "Aggiornamento installazione esistente su Unità ";

constexpr const char* kSeveralFoundBefore = "ATTENZIONE: su questo computer sono state individuate ";
constexpr const char* kSeveralFoundAfter =
    " precedenti installazioni della App Ortavia-on-line: sarà richiesto di scegliere l'installazione da "
    "aggiornare. Si consiglia di eliminare le installazioni multiple, che potrebbero generare confusione, "
    "sovrapposizione e perdita di dati!";
constexpr const char* kOneFound =
    "ATTENZIONE: su questo computer è stata individuata una precedente installazione della App Ortavia-on-line: "
    "il setup aggiornerà l'installazione esistente.";

constexpr const char* kPageSeveral =
    "Sarà ora aggiornata una installazione precedente tra quelle rilevate. Confermare o scegliere l'installazione "
    "da aggiornare e Premere Avanti per iniziare.";
constexpr const char* kPageOneBefore = "Sarà ora aggiornata l'installazione precedente nel disco ";
constexpr const char* kPageOneAfter = ". Premere Avanti per iniziare.";

// Entry 0 of the choice list is the prompt; entry k stands for ExistingInstalls(k - 1).
constexpr int kFirstInstallEntry = 1;

}  // namespace

void Setup1::DetectPreviousInstallations() {
    ExistingInstalls.assign(1, std::string());

    for (int i = 0; i < Drive1.ListCount(); ++i) {
        const std::string designator = text::leftChars(Drive1.List(i), 2);
        std::string root = designator;
        if (text::rightChars(root, 1) != "\\") root += "\\";
        // Only fixed disks are tested: asking a floppy or optical drive
        // without a medium for a folder would stall on the drive.
        if (os_.getDriveType(designator) != kDriveFixed) continue;
        if (!esistePath(root + kInstallFolderName)) continue;
        ExistingInstalls.back() = root;
        ExistingInstalls.emplace_back();
    }
    if (ExistingInstalls.size() > 1) ExistingInstalls.pop_back();

    if (ExistingInstalls.size() >= 2) {
        Combo1.Clear();
        Combo1.AddItem(kChoicePrompt);
        for (const std::string& install : ExistingInstalls) Combo1.AddItem(kChoiceEntryPrefix + install);
        // Raises Combo1_Click, which leaves Next alone while the list is hidden.
        Combo1.setListIndex(0);
        rt_.messageBox(kSeveralFoundBefore + std::to_string(ExistingInstalls.size()) + kSeveralFoundAfter,
                       kMbIconInformation, kSetupTitle);
    } else if (!ExistingInstalls.front().empty()) {
        rt_.messageBox(kOneFound, kMbIconInformation, kSetupTitle);
    } else {
        rt_.beep();
    }
}

void Setup1::ShowDestinationPage() {
    Label1.setVisible(false);
    rt_.doEvents();
    DefaultDrive = text::leftChars(WinDir, 2);
    Text2.setText(DefaultDrive);

    if (ExistingInstalls.size() >= 2) {
        // Next stays disabled until an installation (not the prompt) is chosen.
        Label6.setCaption(kPageSeveral);
        Combo1.setVisible(true);
    } else if (!ExistingInstalls.empty() && !ExistingInstalls.front().empty()) {
        const std::string& install = ExistingInstalls.front();
        Label6.setCaption(kPageOneBefore + install + kPageOneAfter);
        // The box stays hidden: the one installation is updated where it is.
        Text2.setText(text::leftChars(install, 2));
        Label14.setEnabled(true);
    } else {
        Label5.setVisible(true);
        Text2.setVisible(true);
        Label14.setEnabled(true);
    }
    Label6.setVisible(true);
    rt_.doEvents();
}

void Setup1::Combo1_Click() {
    if (!Combo1.Visible()) return;
    Label14.setEnabled(Combo1.ListIndex() >= kFirstInstallEntry);
}

}  // namespace ortavia
