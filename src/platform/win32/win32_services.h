// Win32 platform — the Windows operations table on the real API.
// What may live here: WindowsServices implemented with kernel32, advapi32,
// shell32, shlwapi and the DDEML of user32; the translation of Win32 error
// codes into the runtime's error numbers, done once, here.  No setup logic
// and nothing of the window lives here.
#pragma once

#include <windows.h>
#include <ddeml.h>

#include <map>

#include "platform/windows_services.h"

namespace ortavia::win32 {

// The runtime's error number for a Win32 error code, as the runtime's file
// statements raise it.  `fallback` is used for codes with no closer match.
std::int32_t runtimeErrorFor(DWORD code, std::int32_t fallback);

class Win32Services : public WindowsServices {
public:
    Win32Services();
    ~Win32Services() override;
    Win32Services(const Win32Services&) = delete;
    Win32Services& operator=(const Win32Services&) = delete;

    std::uint32_t getVersion() override;
    std::string getWindowsDirectory(std::uint32_t bufferSize, std::uint32_t& needed) override;
    std::string getSystemDirectory(std::uint32_t bufferSize, std::uint32_t& needed) override;

    std::vector<std::string> logicalDrives() override;
    std::uint32_t getDriveType(const std::string& root) override;

    void changeDrive(const std::string& drive) override;
    void changeDirectory(const std::string& path) override;
    std::string currentDirectory() override;

    FileHandle openFile(const std::string& path, FileMode mode) override;
    void writeFile(FileHandle file, std::uint64_t offset, std::span<const std::uint8_t> bytes) override;
    std::vector<std::uint8_t> readFile(FileHandle file, std::uint64_t offset, std::size_t count) override;
    std::uint64_t fileLength(FileHandle file) override;
    void closeFile(FileHandle file) noexcept override;
    void deleteFile(const std::string& path) override;
    void copyFile(const std::string& from, const std::string& to) override;
    void makeDirectory(const std::string& path) override;

    std::int32_t shGetSpecialFolderLocation(std::int32_t csidl, ItemIdList& list) override;
    std::int32_t shGetPathFromIdList(ItemIdList list, std::uint32_t bufferSize, std::string& path) override;
    void globalFree(ItemIdList list) override;

    std::int32_t shGetValue(RegKey root, const std::string& subKey, const std::string& valueName, std::uint32_t& type,
                            std::span<std::uint8_t> data, std::uint32_t& size) override;
    std::int32_t regOpenKeyEx(RegKey root, const std::string& subKey, std::uint32_t options, std::uint32_t access,
                              RegKey& key) override;
    std::int32_t regCreateKeyEx(RegKey root, const std::string& subKey, std::uint32_t options, std::uint32_t access,
                                RegKey& key) override;
    std::int32_t regSetValueEx(RegKey key, const std::string& valueName, std::uint32_t type,
                               std::span<const std::uint8_t> data) override;
    std::int32_t regCloseKey(RegKey key) override;

    void startProgram(const std::string& commandLine, int windowStyle) override;

    void setLastError(std::uint32_t code) override;
    std::uint32_t getLastError() override;
    ProcessHandle getCurrentProcess() override;
    std::int32_t openProcessToken(ProcessHandle process, std::uint32_t access, TokenHandle& token) override;
    std::int32_t lookupPrivilegeValue(const std::string& systemName, const std::string& name,
                                      std::uint64_t& luid) override;
    std::int32_t adjustTokenPrivileges(TokenHandle token, bool disableAll, const TokenPrivileges& newState,
                                       std::uint32_t bufferLength, TokenPrivileges& previousState,
                                       std::uint32_t& returnLength) override;
    std::int32_t exitWindowsEx(std::uint32_t flags, std::uint32_t reason) override;

    DdeConversation ddeConnect(const std::string& service, const std::string& topic) override;
    bool ddeExecute(DdeConversation conversation, const std::string& command, std::uint32_t timeoutMs) override;
    void ddeDisconnect(DdeConversation conversation) override;
    // Why the last execute failed: true when the wait ran out, false when the
    // server refused or another DDEML failure happened.
    bool lastDdeFailureWasTimeout() const { return lastDdeTimeout_; }

private:
    HANDLE handleOf(FileHandle file) const;
    bool ensureDde();

    std::map<FileHandle, HANDLE> files_;
    FileHandle nextFile_ = 1;
    DWORD ddeInstance_ = 0;
    bool lastDdeTimeout_ = false;
};

}  // namespace ortavia::win32
