// The window definition of Setup1: every control with its container,
// rectangle (twips), caption, look and state at load, and the binding of the
// event procedures.
#include "setup/setup1.h"

#include <cctype>
#include <memory>

namespace ortavia {

namespace {

constexpr Twips kClientArea{0, 0, 6000, 5250};

const Rgb kPale{252, 232, 226};
const Rgb kCyan{192, 255, 255};
const Rgb kMaroon{64, 0, 0};
const Rgb kPaper{244, 244, 244};
const Rgb kInk{32, 27, 17};
const Rgb kDriveBoxBack{232, 236, 235};
const Rgb kFill{134, 166, 152};

Look label(const char* face, float points, bool bold, Rgb fore, bool centred = false) {
    Look l;
    l.font = Font{face, points, bold};
    l.foreColor = fore;
    l.transparent = true;
    l.centred = centred;
    return l;
}

Look panel(Rgb back, bool border) {
    Look l;
    l.backColor = back;
    l.border = border;
    return l;
}

// Picture3 is 43 twips wide at load; Picture2's inner area (5055 twips less a
// one-pixel border on each side) spans the scale S.
float initialFillWidth() { return 43.0f * kProgressScale / 5025.0f; }

}  // namespace

Setup1::Setup1(WindowsServices& os, WindowRuntime& rt, SetupContent content)
    : Form(kWindowCaption, kClientArea),
      label27(*this, "label27", nullptr, {480, 2880, 4695, 720},
              label("Microsoft Sans Serif", 12.0f, true, kPale),
              "Setup di 'Ortavia-on-line'. Fare clic su Avanti per iniziare.", true),
      Label17(*this, "Label17", nullptr, {480, 4620, 1680, 300},
              [] {
                  Look l = label("Microsoft Sans Serif", 12.0f, true, kCyan, true);
                  l.autoSizeOneLine = true;
                  return l;
              }(),
              "Versione 3.00", true),
      Label15(*this, "Label15", nullptr, {2760, 4680, 1410, 240}, label("MS Sans Serif", 9.75f, true, kCyan, true),
              "Interrompi", true),
      Label14(*this, "Label14", nullptr, {4440, 4680, 1380, 240}, label("MS Sans Serif", 9.75f, true, kCyan, true),
              "Avanti", true),
      Picture9(*this, "Picture9", ControlKind::Panel, nullptr, {360, 960, 5295, 3135}, panel(kMaroon, true), false,
               true),
      Label16(*this, "Label16", &Picture9, {120, 120, 4665, 720}, label("MS Sans Serif", 9.75f, true, kPaper),
              "Per procedere all'installazione è necessario leggere ed approvare il contratto di Licenza", true),
      Text4(*this, "Text4", ControlKind::TextArea, &Picture9, {120, 720, 4935, 1815},
            [] {
                Look l;
                l.font = Font{"Microsoft Sans Serif", 9.0f, false};
                l.foreColor = kInk;
                l.backColor = kPaper;
                return l;
            }(),
            true),
      Check1(*this, "Check1", &Picture9, {120, 2640, 4815, 255},
             [] {
                 Look l;
                 l.font = Font{"Microsoft Sans Serif", 9.0f, true};
                 l.foreColor = kPaper;
                 l.backColor = kMaroon;
                 return l;
             }(),
             "Ho letto ed approvo questo contratto di licenza", true),
      Label1(*this, "Label1", nullptr, {240, 3510, 3735, 360}, label("MS Sans Serif", 9.75f, true, kPale),
             "Per proseguire, fare clic su Avanti", false),
      Label6(*this, "Label6", nullptr, {360, 2160, 5175, 1320}, label("Microsoft Sans Serif", 9.75f, true, kPale),
             "Sarà ora creata la cartella 'Ortavia_on_line' e al suo interno verranno copiati i componenti del "
             "Programma. Per cambiare l'unità di destinazione digitare la lettera nella casella di testo. Premere "
             "Avanti per continuare.",
             false),
      Label5(*this, "Label5", nullptr, {360, 3690, 4695, 360}, label("MS Sans Serif", 9.75f, true, kPale),
             "Disco rigido di destinazione del Programma:", false),
      Text2(*this, "Text2", ControlKind::TextBox, nullptr, {5040, 3600, 375, 420},
            [] {
                Look l;
                l.font = Font{"Microsoft Sans Serif", 12.0f, false};
                l.backColor = kDriveBoxBack;
                return l;
            }(),
            false, 2),
      Combo1(*this, "Combo1", ControlKind::ComboBox, nullptr, {360, 3600, 5295, 360},
             [] {
                 Look l;
                 l.font = Font{"Microsoft Sans Serif", 9.75f, false};
                 l.backColor = kPaper;
                 return l;
             }(),
             false, true),
      Drive1(*this, "Drive1", ControlKind::DriveList, nullptr, {}, {}, false, true),
      Label9(*this, "Label9", nullptr, {1080, 2250, 4095, 1200},
             [] {
                 Look l = label("Microsoft Sans Serif", 12.0f, true, kPale);
                 l.growDownward = true;
                 return l;
             }(),
             "Installazione in corso: saranno estratti tutti i componenti necessari al funzionamento della App. Si "
             "prega di attendere...",
             false),
      Picture2(*this, "Picture2", nullptr, {480, 3720, 5055, 375}, panel(kMaroon, true), false, kProgressScale,
               5055.0f),
      Picture3(*this, "Picture3", &Picture2, {0, 0, 43, 375}, panel(kFill, false), true, 43.0f, initialFillWidth()),
      Label3(*this, "Label3", nullptr, {360, 2400, 5130, 1080}, label("Microsoft Sans Serif", 12.0f, true, kPale),
             "Installazione completata! Premere 'Fine' per chiudere il Setup.", false),
      Label8(*this, "Label8", nullptr, {}, {}, "", false),
      Picture4(*this, "Picture4", nullptr, {0, 12000, 24000, 30000}, {}, true, 1600.0f, 24000.0f),
      Picture5(*this, "Picture5", nullptr, {0, 15000, 24000, 6000}, {}, true, 1600.0f, 24000.0f),
      Picture6(*this, "Picture6", nullptr, {0, 12000, 10500, 3000}, {}, true, 700.0f, 10500.0f),
      Picture7(*this, "Picture7", nullptr, {0, 15000, 24000, 1200}, {}, true, 1600.0f, 24000.0f),
      Timer1(*this, "Timer1", 800),
      Timer5(*this, "Timer5", 1000),
      os_(os),
      rt_(rt),
      content_(std::move(content)) {
    for (std::size_t i = 0; i < label2Storage_.size(); ++i) {
        label2Storage_[i] = std::make_unique<Label>(*this, "Label2(" + std::to_string(i) + ")", nullptr, Twips{},
                                                    Look{}, content_.agreement[i], false);
        Label2[i] = label2Storage_[i].get();
    }
    if (content_.picture4) Picture4.setPicture(content_.picture4);
    if (content_.picture5) Picture5.setPicture(content_.picture5);
    if (content_.picture6) Picture6.setPicture(content_.picture6);
    if (content_.picture7) Picture7.setPicture(content_.picture7);

    // A drive list box lists the system's drives, in letter order, in lower case.
    for (const std::string& d : os_.logicalDrives()) {
        std::string entry = d.substr(0, 2);
        for (char& ch : entry) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        Drive1.entries.push_back(entry);
    }

    Label14.onClick = [this] { Label14_Click(); };
    Label15.onClick = [this] { Label15_Click(); };
    Check1.onClick = [this] { Check1_Click(); };
    Combo1.onClick = [this] { Combo1_Click(); };
    Text2.onChange = [this] { Text2_Change(); };
    Text2.onLostFocus = [this] { Text2_LostFocus(); };
    Timer1.onTimer = [this] { Timer1_Timer(); };
    Timer5.onTimer = [this] { Timer5_Timer(); };
}

void Setup1::growProgress(float f) { Picture3.setWidth(Picture3.Width() + Picture2.ScaleWidth() * f); }

}  // namespace ortavia
