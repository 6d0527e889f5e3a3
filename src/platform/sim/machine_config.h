// machine.ini: the settings of a simulated machine, parsed and written back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sim/machine.h"

namespace ortavia::sim {

inline constexpr const char* kMachineIniName = "machine.ini";

struct MachineConfig {
    // [windows]
    int major = 10;
    int minor = 0;
    std::string windowsFolder = "C:\\Windows";
    std::string systemFolder = "C:\\Windows\\System32";
    // [drives], in letter order
    std::vector<DriveSpec> drives{{'C', DriveType::Fixed, true},
                                  {'D', DriveType::Cdrom, false},
                                  {'E', DriveType::Removable, true}};
    // [shell]; empty = the system cannot resolve that folder
    std::string desktop = "C:\\Users\\Utente\\Desktop";
    std::string programs = "C:\\Users\\Utente\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs";
    std::string documents = "C:\\Users\\Utente\\Documents";
    std::string commonPrograms = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
    // [user]
    bool admin = true;
    bool shutdownPrivilege = true;
    // [setup]
    std::string setupFolder = "C:\\Users\\Utente\\Downloads";
    bool anotherCopyRunning = false;
    // [services]
    bool progman = true;
    bool restartAccept = true;
    // [faults]
    std::vector<std::string> locked;
    std::vector<std::string> readOnly;
    // Files a running program was started from: readable, but not deleted,
    // replaced or written while it runs (the image is mapped).
    std::vector<std::string> running;
    std::string fullDrives;  // upper-case letters

    // Is the configured Windows version below major.minor?
    bool versionBelow(int major, int minor) const;
};

// GetDriveTypeA's number for a drive type, and the ini word for it.
std::uint32_t driveTypeCode(DriveType type);
const char* driveTypeWord(DriveType type);

// Keys missing from the text keep the default machine's values; a [drives]
// section, when present, lists every drive.  Throws MachineError naming
// `fileName` and the line for anything it does not understand.
MachineConfig parseMachineIni(const std::string& text, const std::string& fileName);
std::string formatMachineIni(const MachineConfig& config);

}  // namespace ortavia::sim
