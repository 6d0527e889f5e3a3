// The WindowsServices table on a simulated machine: the process side of
// Windows (current drive and folders, open files, registry handles, the last
// error, shell item lists, DDE conversations) over the machine's state.
#pragma once

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "platform/sim/winpath.h"
#include "platform/windows_services.h"

namespace ortavia::sim {

class MachineImpl;

class SimServices : public WindowsServices {
public:
    explicit SimServices(MachineImpl& machine);
    ~SimServices() override;

    // A fresh process: current folders from the setup folder, no open files,
    // keys, lists or conversations, last error 0.
    void resetProcess();

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

    const CurrentFolders& current() const { return current_; }

private:
    struct OpenFile {
        WinPath path;
        std::string key;
        FileMode mode = FileMode::Input;
        bool writable = false;
        std::FILE* file = nullptr;
        std::uint64_t length = 0;
        std::uint64_t position = 0;
        std::uint64_t written = 0;
    };
    struct OpenKey {
        std::string path;
        bool writable = false;
    };

    // Resolves a path for a file statement: 52 for a bad name, 76 for a drive
    // the machine does not have, 71 for a drive that is not ready.
    WinPath resolveForStatement(const std::string& path) const;
    bool isOpen(const std::string& key, bool forOutputOnly) const;
    OpenFile& handle(FileHandle file);
    void closeAll() noexcept;
    bool progmanExecuteOne(const std::string& name, const std::vector<std::string>& args);
    std::int32_t openKey(RegKey root, const std::string& subKey, std::uint32_t access, bool create, RegKey& key);

    MachineImpl& m_;
    CurrentFolders current_;
    std::map<FileHandle, OpenFile> files_;
    FileHandle nextFile_ = 1;
    std::map<RegKey, OpenKey> keys_;
    RegKey nextKey_ = 0x1000;
    std::map<ItemIdList, std::string> lists_;
    ItemIdList nextList_ = 0x10000;
    std::map<DdeConversation, bool> conversations_;
    DdeConversation nextConversation_ = 1;
    std::string currentGroup_;  // Program Manager's current group (a Windows path)
    std::uint32_t lastError_ = 0;
    TokenHandle nextToken_ = 0x500;
};

}  // namespace ortavia::sim
