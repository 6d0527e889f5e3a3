#include "uac/mrunonce.h"

#include <vector>

namespace ortavia::MRunOnce {

bool SetRunOnceEntry(WindowsServices& os, const std::string& EntryName, const std::string& CommandLine,
                     bool CurrentUser, bool EveryLogon) {
    const RegKey root = CurrentUser ? kHkeyCurrentUser : kHkeyLocalMachine;
    const char* keyPath = EveryLogon ? kRunKey : kRunOnceKey;

    RegKey key = 0;
    if (os.regCreateKeyEx(root, keyPath, kRegOptionNonVolatile, kKeyAllAccess, key) != kErrorSuccess) return false;

    // REG_SZ data carries its terminating NUL.
    std::vector<std::uint8_t> data(CommandLine.begin(), CommandLine.end());
    data.push_back(0);
    const std::int32_t written = os.regSetValueEx(key, EntryName, kRegSz, data);
    os.regCloseKey(key);
    return written == kErrorSuccess;
}

}  // namespace ortavia::MRunOnce
