// The drive box Text2: every text that enters it is completed to letter and
// colon, refused unless it names a fixed disk, and turned to upper case.
//
// Every assignment to the box raises Change again at once, so the rules run
// nested inside themselves: a rule's assignment runs all three rules on the
// new text, and the interrupted run then goes on with its next rule, reading
// the box afresh.
#include <string>

#include "setup/setup1.h"

namespace ortavia {

namespace {

constexpr const char* kColon = ":";
constexpr const char* kOnlyFixedDiskMessage = "'Ortavia-on-line' può essere installato solo su disco rigido!";
constexpr std::size_t kDriveChars = 2;

// Keeps the nesting depth of the rules, so the outermost run can forget the
// refusal it showed.  Restores on every exit, including the end of the program
// unwinding through a message box.
class NestedRun {
public:
    NestedRun(int& depth, bool& refusalShown) : depth_(depth), refusalShown_(refusalShown) { ++depth_; }
    ~NestedRun() {
        if (--depth_ == 0) refusalShown_ = false;
    }
    NestedRun(const NestedRun&) = delete;
    NestedRun& operator=(const NestedRun&) = delete;

private:
    int& depth_;
    bool& refusalShown_;
};

}  // namespace

void Setup1::Text2_Change() {
    NestedRun run(text2ChangeDepth_, text2RefusalShown_);

    // 1. Colon completion: the second character becomes ":" (Dx -> D:).
    {
        const std::string t = Text2.Text();
        if (text::charCount(t) > 1 && text::rightChars(t, 1) != kColon) {
            Text2.setText(text::leftChars(t, 1) + kColon + text::rightChars(t, text::charCount(t) - 2));
        }
    }

    // 2. Drive test: GetDriveTypeA with the two characters as they stand.
    {
        const std::string t = Text2.Text();
        if (text::charCount(t) == kDriveChars && os_.getDriveType(t) != kDriveFixed) {
            // When DefaultDrive is no fixed disk either, putting it back would
            // be refused in turn, and its upper-case form after it, without
            // end.  One message per run is enough; the fallback then stays.
            if (!text2RefusalShown_) {
                text2RefusalShown_ = true;
                rt_.messageBox(kOnlyFixedDiskMessage, kMbIconError, kAppTitle);
                Text2.setText(DefaultDrive);
            }
        }
    }

    // 3. Upper case.
    {
        const std::string t = Text2.Text();
        const std::string up = text::upper(t);
        if (t != up) Text2.setText(up);
    }
}

void Setup1::Text2_LostFocus() {
    // A lone letter is completed to a drive (D -> D:), which then is tested.
    const std::string t = Text2.Text();
    if (text::charCount(t) == 1) Text2.setText(t + kColon);
}

}  // namespace ortavia
