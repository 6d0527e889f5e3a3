// A WindowsServices that decorates another one and makes chosen calls fail,
// as a test VFS does: "call N of kind K fails, once or from then on".
// Failing file statements throw the SetupError the statement would raise;
// failing API calls return their failure code and set the last error where
// the API does.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/windows_services.h"

namespace ortavia::sim {

enum class FaultKind {
    GetWindowsDirectory,
    GetSystemDirectory,
    DriveType,
    ChangeDrive,
    ChangeDirectory,
    OpenFile,
    WriteFile,
    ReadFile,
    DeleteFile,
    CopyFile,
    MakeDirectory,
    ShellFolder,      // SHGetSpecialFolderLocation
    ShellPath,        // SHGetPathFromIDList
    RegistryQuery,    // SHGetValue
    RegistryOpen,
    RegistryCreate,
    RegistrySet,
    StartProgram,
    OpenProcessToken,
    LookupPrivilege,
    AdjustPrivileges,
    ExitWindows,
    DdeConnect,
    DdeExecute,
    Count_
};

class FaultyServices : public WindowsServices {
public:
    explicit FaultyServices(WindowsServices& inner) : inner_(inner) {}

    // Call number `nth` (1-based, counted since the wrapper was made) of
    // `kind` fails; with `persistent` every later
    // call of that kind fails too.  `code` replaces the natural failure: the
    // error number for a statement, the return code (registry, shell) or the
    // last error (BOOL calls).
    void failCall(FaultKind kind, std::uint64_t nth, bool persistent = false, std::optional<std::int32_t> code = {});
    void clearFaults();
    // How many calls of that kind were made (failed ones included).
    std::uint64_t calls(FaultKind kind) const { return counts_[index(kind)]; }
    // The natural failure of a kind when no code is given.
    static std::int32_t naturalCode(FaultKind kind);

    std::uint32_t getVersion() override { return inner_.getVersion(); }
    std::string getWindowsDirectory(std::uint32_t bufferSize, std::uint32_t& needed) override;
    std::string getSystemDirectory(std::uint32_t bufferSize, std::uint32_t& needed) override;
    std::vector<std::string> logicalDrives() override { return inner_.logicalDrives(); }
    std::uint32_t getDriveType(const std::string& root) override;
    void changeDrive(const std::string& drive) override;
    void changeDirectory(const std::string& path) override;
    std::string currentDirectory() override { return inner_.currentDirectory(); }
    FileHandle openFile(const std::string& path, FileMode mode) override;
    void writeFile(FileHandle file, std::uint64_t offset, std::span<const std::uint8_t> bytes) override;
    std::vector<std::uint8_t> readFile(FileHandle file, std::uint64_t offset, std::size_t count) override;
    std::uint64_t fileLength(FileHandle file) override { return inner_.fileLength(file); }
    void closeFile(FileHandle file) noexcept override { inner_.closeFile(file); }
    void deleteFile(const std::string& path) override;
    void copyFile(const std::string& from, const std::string& to) override;
    void makeDirectory(const std::string& path) override;
    std::int32_t shGetSpecialFolderLocation(std::int32_t csidl, ItemIdList& list) override;
    std::int32_t shGetPathFromIdList(ItemIdList list, std::uint32_t bufferSize, std::string& path) override;
    void globalFree(ItemIdList list) override { inner_.globalFree(list); }
    std::int32_t shGetValue(RegKey root, const std::string& subKey, const std::string& valueName, std::uint32_t& type,
                            std::span<std::uint8_t> data, std::uint32_t& size) override;
    std::int32_t regOpenKeyEx(RegKey root, const std::string& subKey, std::uint32_t options, std::uint32_t access,
                              RegKey& key) override;
    std::int32_t regCreateKeyEx(RegKey root, const std::string& subKey, std::uint32_t options, std::uint32_t access,
                                RegKey& key) override;
    std::int32_t regSetValueEx(RegKey key, const std::string& valueName, std::uint32_t type,
                               std::span<const std::uint8_t> data) override;
    std::int32_t regCloseKey(RegKey key) override { return inner_.regCloseKey(key); }
    void startProgram(const std::string& commandLine, int windowStyle) override;
    void setLastError(std::uint32_t code) override { inner_.setLastError(code); }
    std::uint32_t getLastError() override { return inner_.getLastError(); }
    ProcessHandle getCurrentProcess() override { return inner_.getCurrentProcess(); }
    std::int32_t openProcessToken(ProcessHandle process, std::uint32_t access, TokenHandle& token) override;
    std::int32_t lookupPrivilegeValue(const std::string& systemName, const std::string& name,
                                      std::uint64_t& luid) override;
    std::int32_t adjustTokenPrivileges(TokenHandle token, bool disableAll, const TokenPrivileges& newState,
                                       std::uint32_t bufferLength, TokenPrivileges& previousState,
                                       std::uint32_t& returnLength) override;
    std::int32_t exitWindowsEx(std::uint32_t flags, std::uint32_t reason) override;
    DdeConversation ddeConnect(const std::string& service, const std::string& topic) override;
    bool ddeExecute(DdeConversation conversation, const std::string& command, std::uint32_t timeoutMs) override;
    void ddeDisconnect(DdeConversation conversation) override { inner_.ddeDisconnect(conversation); }

private:
    struct Fault {
        FaultKind kind;
        std::uint64_t nth;
        bool persistent;
        std::int32_t code;
    };
    static std::size_t index(FaultKind kind) { return static_cast<std::size_t>(kind); }
    // Counts the call; the failure code when this call is to fail.
    std::optional<std::int32_t> next(FaultKind kind);
    void statement(FaultKind kind);

    WindowsServices& inner_;
    std::array<std::uint64_t, static_cast<std::size_t>(FaultKind::Count_)> counts_{};
    std::vector<Fault> faults_;
};

}  // namespace ortavia::sim
