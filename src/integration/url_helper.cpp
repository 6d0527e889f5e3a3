// The file test and the silent component registration.
#include "integration/url_helper.h"

namespace ortavia::url_helper {

namespace {
constexpr const char* kRegistrationTool = "regsvr32.exe ";  // the tool's name and one blank
constexpr const char* kSilentSwitch = " /s";
}  // namespace

bool FileExists(WindowsServices& os, const std::string& path) {
    FileHandle file = 0;
    bool opened = false;
    try {
        file = os.openFile(path, FileMode::Input);
        opened = true;
    } catch (const SetupError&) {
        // Missing, a folder, locked or unreadable: all mean "no".
    }
    if (opened) os.closeFile(file);
    return opened;
}

std::string RegistrationCommandLine(const std::string& path) {
    // regsvr32 splits its arguments at blanks: an unquoted
    // C:\Program Files\x.ocx would register "C:\Program" and fail, so a path
    // holding a blank goes in quotes.  A path without one keeps the plain form.
    const bool needsQuotes = path.find(' ') != std::string::npos;
    const std::string argument = needsQuotes ? "\"" + path + "\"" : path;
    return kRegistrationTool + argument + kSilentSwitch;
}

void RegisterComponent(WindowsServices& os, const std::string& name, const std::string& folder) {
    const std::string path = folder + name;
    if (!FileExists(os, path)) return;
    try {
        // Nobody waits for the tool: its exit code goes unnoticed.
        os.startProgram(RegistrationCommandLine(path), kVbNormalFocus);
    } catch (const SetupError&) {
        // A tool that cannot be started goes unnoticed too.
    }
}

}  // namespace ortavia::url_helper
