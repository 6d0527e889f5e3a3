// The start entries under the Run and RunOnce keys.
#pragma once

#include <string>

#include "platform/windows_services.h"

namespace ortavia::MRunOnce {

inline constexpr const char* kRunOnceKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
inline constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// Writes `CommandLine` as the REG_SZ value `EntryName` under the current
// user's (or the machine's) RunOnce key, or its Run key when `EveryLogon`;
// the key is created when missing.  True when the value was written.
bool SetRunOnceEntry(WindowsServices& os, const std::string& EntryName, const std::string& CommandLine,
                     bool CurrentUser, bool EveryLogon);

}  // namespace ortavia::MRunOnce
