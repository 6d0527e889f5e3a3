// The payload extractor and the installation run.
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "integration/url_helper.h"
#include "payload/bmp.h"
#include "setup/setup1.h"

namespace ortavia {

namespace {

constexpr const char* kInstallFolder = "\\Ortavia_on_line";
constexpr const char* kLocalTextsFolder = "\\Ortavia_on_line\\Testi_locali";
constexpr const char* kDriveRoot = "\\";
constexpr const char* kDriveColon = ":";
constexpr std::int32_t kExecutableLastIndex = 1617919;

struct Component {
    const char* name;
    PictureBox Setup1::*picture;
    std::int32_t lastIndex;
};
// Written in this order when missing from the install folder.
constexpr Component kComponents[] = {
    {"MsWinsck.ocx", &Setup1::Picture6, 109247},
    {"DAO360.dll", &Setup1::Picture5, 557327},
    {"msinet.ocx", &Setup1::Picture7, 115919},
};

constexpr std::int32_t kErrExecutable = 8888;
constexpr std::int32_t kErrComponent = 9999;
constexpr const char* kMsgExecutable = "Installazione del file eseguibile fallita: la procedura sarà interrotta.";
constexpr const char* kMsgComponent =
    "Impossibile creare uno dei componenti del Programma. Il file eseguibile 'Setup_Ortavia_on_line.exe' potrebbe "
    "essere danneggiato. La procedura sarà interrotta.";

constexpr std::int64_t kProgressEvery = 100000;
constexpr float kProgressPerStep = 0.01f;

// One byte is read, then x moves on and the row ends once x >= ScaleWidth, so
// a row starting at column x yields max(1, m - x) bytes, m being the least
// integer not below ScaleWidth.
std::int64_t bytesLeftInRow(float scaleWidth, std::int64_t x) {
    double m = std::ceil(static_cast<double>(scaleWidth));
    if (!(m < static_cast<double>(std::numeric_limits<std::int32_t>::max()))) {
        m = static_cast<double>(std::numeric_limits<std::int32_t>::max());  // also a NaN scale
    }
    return std::max<std::int64_t>(1, static_cast<std::int64_t>(m) - x);
}

// Takes up to `count` bytes of row y from column x on; stops at the first
// pixel whose colour value is not a byte (green or blue set, or outside the
// picture, which reads -1).
std::int64_t takeRun(const PictureBox& picture, std::int64_t x, std::int64_t y, std::int64_t count,
                     std::uint8_t* out) {
    // Our own bitmaps are read a row at a time in place; anything else goes
    // through Point one pixel at a time.
    if (const auto* bmp = dynamic_cast<const payload::BmpImage*>(picture.picture())) {
        return bmp->takeRedRun(x, y, count, out);
    }
    for (std::int64_t i = 0; i < count; ++i) {
        const std::int64_t px = x + i;
        if (px > std::numeric_limits<int>::max() || y > std::numeric_limits<int>::max()) return i;
        const std::int32_t colour = picture.Point(static_cast<int>(px), static_cast<int>(y));
        if (colour < 0 || colour > 255) return i;
        out[i] = static_cast<std::uint8_t>(colour);
    }
    return count;
}

// A block that fails may have written nothing (a full disk refuses a write
// that would make the file longer) where one Put per byte would have left
// every byte before the failing one.  Writing the bytes one at a time again
// leaves the file as the byte-wise writes would; they are the same bytes at
// the same places, so whatever the block did write is not disturbed.
void writeBytewiseUntilFailure(WindowsServices& os, FileHandle file, const std::vector<std::uint8_t>& bytes) {
    try {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            os.writeFile(file, i, std::span<const std::uint8_t>(bytes.data() + i, 1));
        }
    } catch (const SetupError&) {
        return;
    }
}

}  // namespace

bool Setup1::ExtractPictureToFile(std::int32_t lastIndex, const std::string& path, PictureBox& picture) {
    try {
        if (lastIndex < 0) throw SetupError(err::kSubscript);
        const std::int64_t total = static_cast<std::int64_t>(lastIndex) + 1;
        // The buffer grows a row at a time instead of being sized to N + 1 up
        // front: an index far beyond the picture must fail on the first pixel
        // outside it, not on a huge allocation.
        PayloadBytes.clear();
        if (const PixelSource* source = picture.picture()) {
            const std::int64_t pixels = static_cast<std::int64_t>(source->width()) * source->height();
            PayloadBytes.reserve(static_cast<std::size_t>(std::min(total, pixels + 1)));
        }

        std::int64_t k = 0;
        std::int64_t x = 0;
        std::int64_t y = 0;
        while (k < total) {
            // Nothing can change the box between two yields, so the width read
            // here holds for every byte of the row.
            const std::int64_t rowBytes = bytesLeftInRow(picture.ScaleWidth(), x);
            const std::int64_t count = std::min(rowBytes, total - k);
            PayloadBytes.resize(static_cast<std::size_t>(k + count));
            const std::int64_t taken = takeRun(picture, x, y, count, PayloadBytes.data() + k);
            const bool rowEnds = taken == rowBytes;
            // The bar grows after each byte whose index is a multiple of
            // 100000; for the row's last byte that comes after the yield.
            const std::int64_t growUntil = rowEnds ? k + taken - 1 : k + taken;
            for (std::int64_t step = (k + kProgressEvery - 1) / kProgressEvery * kProgressEvery; step < growUntil;
                 step += kProgressEvery) {
                growProgress(kProgressPerStep);
            }
            if (taken < count) throw SetupError(err::kOverflow);
            k += count;
            x += count;
            if (rowEnds) {
                rt_.doEvents();
                x = 1;
                ++y;
                if ((k - 1) % kProgressEvery == 0) growProgress(kProgressPerStep);
            }
        }
        rt_.doEvents();

        const FileHandle file = os_.openFile(path, FileMode::Binary);
        try {
            // One block holds the same bytes, at the same places, as one Put
            // per byte from position 1 on.
            os_.writeFile(file, 0, PayloadBytes);
        } catch (const SetupError&) {
            writeBytewiseUntilFailure(os_, file, PayloadBytes);
            os_.closeFile(file);
            throw;
        }
        os_.closeFile(file);
        return true;
    } catch (const SetupError&) {
        return false;
    }
}

void Setup1::RunInstallation() {
    // Steps 1 to 7 are not guarded: a drive that cannot be made current or a
    // folder that cannot be created ends the program with the runtime's report.
    try {
        if (Combo1.Visible()) {
            const int i = Combo1.ListIndex();
            if (i < 1 || static_cast<std::size_t>(i) > ExistingInstalls.size()) throw SetupError(err::kSubscript);
            Text2.setText(text::leftChars(ExistingInstalls[static_cast<std::size_t>(i - 1)], 2));
            Combo1.setVisible(false);
        }
        Label5.setVisible(false);
        Label6.setVisible(false);
        Text2.setVisible(false);
        rt_.doEvents();
        Label9.setVisible(true);
        Picture2.setVisible(true);
        rt_.setFormMousePointer(kPointerHourglass);
        rt_.doEvents();

        if (text::charCount(Text2.Text()) == 1) Text2.setText(Text2.Text() + kDriveColon);

        os_.changeDrive(Text2.Text());
        rt_.doEvents();
        os_.changeDirectory(kDriveRoot);

        if (!esistePath(Text2.Text() + kInstallFolder)) os_.makeDirectory(Text2.Text() + kInstallFolder);
        rt_.doEvents();

        InstallDir = Text2.Text() + kInstallFolder;
        rt_.doEvents();
        os_.changeDirectory(InstallDir);
        rt_.doEvents();

        if (!esistePath(Text2.Text() + kLocalTextsFolder)) os_.makeDirectory(Text2.Text() + kLocalTextsFolder);
        rt_.doEvents();
    } catch (const SetupError& e) {
        rt_.reportUnhandledError(e);
    }

    // Steps 8 to 15: one message for whatever fails, then the end.
    try {
        growProgress(0.1f);
        rt_.doEvents();
        growProgress(0.1f);
        rt_.doEvents();
        rt_.doEvents();
        growProgress(0.2f);
        rt_.doEvents();

        const std::string executable = InstallDir + "\\" + kApplicationExecutable;
        if (url_helper::FileExists(os_, executable)) {
            os_.deleteFile(executable);
            rt_.doEvents();
        }
        if (!ExtractPictureToFile(kExecutableLastIndex, executable, Picture4)) throw SetupError(kErrExecutable);
        rt_.doEvents();

        growProgress(0.1f);
        rt_.doEvents();
        growProgress(0.1f);
        rt_.doEvents();

        for (const Component& c : kComponents) {
            const std::string target = InstallDir + "\\" + c.name;
            if (url_helper::FileExists(os_, target)) continue;
            if (!ExtractPictureToFile(c.lastIndex, target, this->*c.picture)) throw SetupError(kErrComponent);
            rt_.doEvents();
        }

        for (const Component& c : kComponents) {
            InstallSharedComponent(c.name);
            rt_.doEvents();
        }

        Timer1.setEnabled(true);
        CreateShortcuts();
    } catch (const SetupError& e) {
        std::string message;
        if (e.number == kErrExecutable) {
            message = kMsgExecutable;
        } else if (e.number == kErrComponent) {
            message = kMsgComponent;
        } else {
            message = std::to_string(e.number) + e.description;
        }
        rt_.messageBox(message, kMbOk, kAppTitle);
        rt_.endProgram();
    }
}

}  // namespace ortavia
