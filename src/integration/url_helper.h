// The file test and the component registration shared by the installation run
// and the component installer.
#pragma once

#include <string>

#include "platform/windows_services.h"

namespace ortavia::url_helper {

// Can the file at `path` be opened for sequential input?  A missing file, a
// folder, and a file that is locked or unreadable all answer false.  Never
// throws SetupError.
bool FileExists(WindowsServices& os, const std::string& path);

// Starts the silent registration of `folder` + `name` (folder ends in "\")
// without waiting for it; does nothing when that file is not there.  Never
// throws SetupError.
void RegisterComponent(WindowsServices& os, const std::string& name, const std::string& folder);

// The registration command line for a component at `path`.
std::string RegistrationCommandLine(const std::string& path);

}  // namespace ortavia::url_helper
