// The simulated machine's state: its settings, drives, files on the host,
// registry and journal, with the fault rules every operation consults.
#pragma once

#include <filesystem>
#include <memory>
#include <set>

#include "platform/sim/journal.h"
#include "platform/sim/machine.h"
#include "platform/sim/machine_config.h"
#include "platform/sim/registry.h"
#include "platform/sim/sim_services.h"
#include "platform/sim/winpath.h"

namespace ortavia::sim {

inline constexpr const char* kJournalFileName = "events.log";
inline constexpr const char* kLockFileName = ".lock";
inline constexpr const char* kSetupFileName = "SETUP_Ortavia_on_line.exe";
inline constexpr const char* kRegsvr32FileName = "regsvr32.exe";

class MachineImpl : public SimMachine {
public:
    MachineImpl(std::filesystem::path dir, MachineConfig config, Registry registry);
    ~MachineImpl() override;

    // --- SimMachine ----------------------------------------------------------------
    WindowsServices& services() override { return *services_; }
    void log(const std::vector<std::string>& fields) override;
    const std::filesystem::path& folder() const override { return dir_; }
    std::string setupFolder() const override;
    bool anotherCopyRunning() const override;
    bool lockInstance() override;
    void unlockInstance() override;
    bool restartPending() const override { return restartPending_; }
    std::vector<std::string> restartAndTakeRunOnce() override;
    bool fileExists(const std::string& windowsPath) const override;
    bool folderExists(const std::string& windowsPath) const override;
    std::optional<std::vector<std::uint8_t>> readFileBytes(const std::string& windowsPath) const override;
    std::filesystem::path hostPath(const std::string& windowsPath) const override;
    std::optional<std::string> programOf(const std::string& commandLine) const override;
    void addDrive(const DriveSpec& drive) override;
    void addFolder(const std::string& windowsPath) override;
    void addFile(const std::string& windowsPath, const std::vector<std::uint8_t>& bytes) override;
    void setDword(RegKey root, const std::string& key, const std::string& name, std::uint32_t value) override;
    void setString(RegKey root, const std::string& key, const std::string& name, const std::string& value) override;
    void deleteValue(RegKey root, const std::string& key, const std::string& name) override;
    std::optional<RegValue> value(RegKey root, const std::string& key, const std::string& name) const override;
    void setLocked(const std::string& windowsPath, bool locked) override;
    void setRunning(const std::string& windowsPath, bool running) override;
    void setReadOnly(const std::string& windowsPath, bool readOnly) override;
    void setDiskFull(char letter, bool full) override;
    void setWindowsVersion(int major, int minor) override;
    void setAnotherCopyRunning(bool running) override;
    void setShellFolder(std::int32_t csidl, const std::string& windowsPath) override;

    // --- for SimServices ---------------------------------------------------------
    const MachineConfig& config() const { return config_; }
    Registry& registry() { return registry_; }
    void saveRegistry();
    void requestRestart() { restartPending_ = true; }
    // The folders a process started from the setup folder begins with.
    CurrentFolders startFolders() const;

    const DriveSpec* drive(char letter) const;
    // The host path of a Windows path whose every part exists (names matched
    // without case); nothing when a part is missing.
    std::optional<std::filesystem::path> findHost(const WinPath& path) const;
    // Where a new entry for `path` goes: its parent must exist.
    std::optional<std::filesystem::path> hostForNew(const WinPath& path) const;
    bool isLocked(const WinPath& path) const;
    bool isRunning(const WinPath& path) const;
    bool isReadOnly(const WinPath& path) const;  // the path or a folder above it
    bool isFull(char letter) const;

    // A program named by a command line, resolved as CreateProcess does for
    // the current folder given; nothing when no such file exists.
    std::optional<WinPath> resolveProgram(const std::string& commandLine, const CurrentFolders& current) const;

private:
    void saveConfig();
    void rebuildFaultKeys();

    std::filesystem::path dir_;
    MachineConfig config_;
    Registry registry_;
    std::unique_ptr<Journal> journal_;
    std::unique_ptr<SimServices> services_;
    std::set<std::string> lockedKeys_;
    std::set<std::string> runningKeys_;
    std::vector<WinPath> readOnlyPaths_;
    bool restartPending_ = false;
    int lockFd_ = -1;
};

// The machine's standard contents, shared by the default machine and a
// machine folder whose drive folders are still missing.
Registry defaultRegistry();

}  // namespace ortavia::sim
