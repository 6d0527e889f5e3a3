// Simulated Windows machine — platform layer.
// What may live here: the state model of a Windows computer held in a folder
// (machine.ini, one folder per drive letter, registry.reg, events.log), its
// Windows rules, and the WindowsServices implementation on top of it.  No
// setup logic lives here; no OS header of Windows is included.
//
// Machine folder layout:
//   machine.ini   settings ([windows] [drives] [shell] [user] [setup] [services] [faults])
//   C/ E/ ...     one folder per drive letter holding that drive's files
//   registry.reg  the registry, regedit 5.00 text, read at start and written back on change
//   events.log    the journal: one tab-separated event a line, appended as it happens
//   .lock         held while a setup runs on the machine (a second run counts as another copy)
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/windows_services.h"

namespace ortavia::sim {

// A bad machine file: which file, which line (0 when not line-bound), why.
struct MachineError : std::runtime_error {
    MachineError(std::string file, int line, const std::string& why);
    std::string file;
    int line;
};

enum class DriveType { Fixed, Removable, Cdrom, Remote, Ramdisk, NoRoot, Unknown };

struct DriveSpec {
    char letter = 'C';  // upper case
    DriveType type = DriveType::Fixed;
    bool ready = true;
};

class Journal;

class SimMachine {
public:
    // Opens the machine held in `dir`; a folder that does not exist is created
    // with the default machine.  Throws MachineError for a bad machine file
    // (nothing on the machine is changed then).
    static std::unique_ptr<SimMachine> open(const std::filesystem::path& dir);
    // Writes the default machine into `dir` (which must not hold one yet).
    static void createDefault(const std::filesystem::path& dir);

    virtual ~SimMachine() = default;

    // The Windows operations table on this machine.
    virtual WindowsServices& services() = 0;

    // The journal (events.log).  Every machine action is logged from here.
    // Fields are escaped (CR \r, LF \n, TAB \t, backslash \\) and joined by TAB.
    virtual void log(const std::vector<std::string>& fields) = 0;

    virtual const std::filesystem::path& folder() const = 0;

    // [setup] folder: the setup's own folder as a Windows path (no trailing "\" unless a root).
    virtual std::string setupFolder() const = 0;
    // Another copy running: the ini key, or the instance lock held by another process.
    virtual bool anotherCopyRunning() const = 0;
    // Takes the instance lock for this process (a real lock on the machine folder).
    virtual bool lockInstance() = 0;
    virtual void unlockInstance() = 0;

    // Restart: requested and accepted by ExitWindowsEx, not yet carried out.
    virtual bool restartPending() const = 0;
    // Carries out the restart's machine side: clears the pending restart,
    // removes every value under the RunOnce keys of HKEY_LOCAL_MACHINE and
    // HKEY_CURRENT_USER and returns their commands in the order Windows runs
    // them (machine key first).
    virtual std::vector<std::string> restartAndTakeRunOnce() = 0;

    // Does a file exist at this Windows path (test helper, not journaled).
    virtual bool fileExists(const std::string& windowsPath) const = 0;
    virtual bool folderExists(const std::string& windowsPath) const = 0;
    virtual std::optional<std::vector<std::uint8_t>> readFileBytes(const std::string& windowsPath) const = 0;
    // The host path of a Windows path on this machine.
    virtual std::filesystem::path hostPath(const std::string& windowsPath) const = 0;
    // The program a command line would start on this machine, resolved as
    // CreateProcess does from the setup folder (an unquoted path with blanks
    // tries each blank in turn, ".exe" is added to a name without extension);
    // nothing when no such file exists.
    virtual std::optional<std::string> programOf(const std::string& commandLine) const = 0;

    // Builders for tests.
    virtual void addDrive(const DriveSpec& drive) = 0;
    virtual void addFolder(const std::string& windowsPath) = 0;
    virtual void addFile(const std::string& windowsPath, const std::vector<std::uint8_t>& bytes) = 0;
    virtual void setDword(RegKey root, const std::string& key, const std::string& name, std::uint32_t value) = 0;
    virtual void setString(RegKey root, const std::string& key, const std::string& name, const std::string& value) = 0;
    virtual void deleteValue(RegKey root, const std::string& key, const std::string& name) = 0;
    // A value as the registry holds it: type and bytes; empty when missing.
    struct RegValue {
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
    };
    virtual std::optional<RegValue> value(RegKey root, const std::string& key, const std::string& name) const = 0;
    // Faults, as [faults] sets them.
    virtual void setLocked(const std::string& windowsPath, bool locked) = 0;
    virtual void setReadOnly(const std::string& windowsPath, bool readOnly) = 0;
    // A program runs from this file: it can be read, not deleted, replaced or written.
    virtual void setRunning(const std::string& windowsPath, bool running) = 0;
    virtual void setDiskFull(char letter, bool full) = 0;
    // Settings of machine.ini, rewritten at once.
    virtual void setWindowsVersion(int major, int minor) = 0;
    virtual void setAnotherCopyRunning(bool running) = 0;
    // CSIDL 0, 2, 5 or 23; an empty path: the system cannot resolve the folder.
    virtual void setShellFolder(std::int32_t csidl, const std::string& windowsPath) = 0;
};

}  // namespace ortavia::sim
