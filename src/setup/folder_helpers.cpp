// The folder test and the shell folder lookup shared by several subsystems.
#include "setup/setup1.h"

namespace ortavia {

namespace {
constexpr std::uint32_t kShellPathBuffer = 262;
}

bool Setup1::esistePath(const std::string& path) {
    // Every step is tried even after one failed; the result is whether all of
    // them succeeded.  The current drive and folder always end at the
    // program's own folder, because the later steps of the setup rely on it.
    bool ok = true;
    std::string remembered;
    try {
        remembered = rt_.appPath();
    } catch (const SetupError&) {
        ok = false;
    }
    try {
        os_.changeDrive(text::leftChars(path, 1));
    } catch (const SetupError&) {
        ok = false;
    }
    rt_.doEvents();
    try {
        os_.changeDirectory(path);
    } catch (const SetupError&) {
        ok = false;
    }
    rt_.doEvents();

    try {
        os_.changeDrive(text::leftChars(remembered, 1));
    } catch (const SetupError&) {
    }
    rt_.doEvents();
    try {
        os_.changeDirectory(remembered);
    } catch (const SetupError&) {
    }
    return ok;
}

std::string Setup1::GetShellFolderPath(std::int32_t CSIDL) {
    ItemIdList list = 0;
    std::string result;
    if (os_.shGetSpecialFolderLocation(CSIDL, list) == 0) {
        std::string path;
        if (os_.shGetPathFromIdList(list, kShellPathBuffer, path) != 0) {
            result = path.substr(0, path.find('\0'));
        }
    }
    if (list != 0) os_.globalFree(list);
    return result;
}

}  // namespace ortavia
