// The licence agreement page: the text assembled from the hidden Label2
// paragraphs and the six section headings, the acceptance box, and the
// one-second delay before Next comes back.
#include <string>

#include "setup/setup1.h"

namespace ortavia {

namespace {

constexpr const char* kBlockEnd = "\r\n\r\n";

constexpr const char* kHeadingLicence = "LICENZA";
constexpr const char* kHeadingUse = "MODO D'USO DEL SOFTWARE";
constexpr const char* kHeadingExpiry = "SCADENZA";
constexpr const char* kHeadingWarnings = "AVVERTENZE";
constexpr const char* kHeadingWarranty = "GARANZIA LIMITATA";
constexpr const char* kHeadingGeneral = "DISPOSIZIONI GENERALI";

constexpr int kTicked = 1;

}  // namespace

void Setup1::ShowAgreementPage() {
    Text4.setText("");

    // Blocks after the title, in reading order: a heading, or the index of a
    // Label2 paragraph.  The warranty section runs on through paragraphs 7
    // to 9 (its list item and closing sentence) without a heading of its own.
    struct Block {
        const char* heading;
        int paragraph;
    };
    static constexpr Block kBlocks[] = {
        {nullptr, 1},          {kHeadingLicence, -1},  {nullptr, 2},  {kHeadingUse, -1},
        {nullptr, 3},          {kHeadingExpiry, -1},   {nullptr, 4},  {kHeadingWarnings, -1},
        {nullptr, 5},          {kHeadingWarranty, -1}, {nullptr, 6},  {nullptr, 7},
        {nullptr, 8},          {nullptr, 9},           {kHeadingGeneral, -1}, {nullptr, 10},
    };

    // Built once and assigned once: the text area would otherwise repaint
    // (and raise Change) for every block.
    std::string agreement = Label2[0]->Caption() + kBlockEnd;
    for (const Block& b : kBlocks) {
        agreement += b.heading != nullptr ? std::string(b.heading) : Label2[static_cast<std::size_t>(b.paragraph)]->Caption();
        agreement += kBlockEnd;
    }
    Text4.setText(std::move(agreement));
}

void Setup1::Check1_Click() {
    if (Check1.Value() != kTicked) return;
    // Disabling the panel locks the box: once ticked it cannot be unticked.
    Picture9.setEnabled(false);
    Timer5.setEnabled(true);
}

void Setup1::Timer5_Timer() {
    Timer5.setEnabled(false);
    Label14.setEnabled(true);
    Picture9.setVisible(false);
    Label1.setVisible(true);
}

}  // namespace ortavia
