// The Windows operations table: the only way the setup logic reaches the
// operating system.  Two implementations plug in here: the simulated machine
// (platform/sim) and the real Win32 API (platform/win32).  Nothing outside
// src/platform/ includes an OS header.
//
// Conventions of the table
// - Texts are UTF-8; the Win32 edge converts them once.
// - Operations the original program declared as API functions keep the API's
//   contract: they return the API's code (0 = success for registry and shell
//   calls, non-zero = success for BOOL calls) and never throw.
// - Operations the original program performed as runtime statements (ChDrive,
//   ChDir, Open/Put/Get/Close, Kill, FileCopy, MkDir, Shell) throw SetupError
//   with the runtime's error number, exactly as the statement would raise it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "setup/errors.h"

namespace ortavia {

// Predefined registry roots, with their Windows values.
using RegKey = std::uint64_t;
inline constexpr RegKey kHkeyCurrentUser = 0x80000001u;
inline constexpr RegKey kHkeyLocalMachine = 0x80000002u;

// Registry value types, access masks and codes used by the setup.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegQword = 11;
inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kRegOptionNonVolatile = 0;

// Win32 error codes the table reports.
inline constexpr std::int32_t kErrorSuccess = 0;
inline constexpr std::int32_t kErrorFileNotFound = 2;
inline constexpr std::int32_t kErrorPathNotFound = 3;
inline constexpr std::int32_t kErrorAccessDenied = 5;
inline constexpr std::int32_t kErrorInvalidHandle = 6;
inline constexpr std::int32_t kErrorMoreData = 234;
inline constexpr std::int32_t kErrorNotAllAssigned = 1300;
inline constexpr std::int32_t kErrorPrivilegeNotHeld = 1314;

// GetDriveTypeA answers.
inline constexpr std::uint32_t kDriveUnknown = 0;
inline constexpr std::uint32_t kDriveNoRootDir = 1;
inline constexpr std::uint32_t kDriveRemovable = 2;
inline constexpr std::uint32_t kDriveFixed = 3;
inline constexpr std::uint32_t kDriveRemote = 4;
inline constexpr std::uint32_t kDriveCdrom = 5;
inline constexpr std::uint32_t kDriveRamdisk = 6;

// Shell folder numbers.
inline constexpr std::int32_t kCsidlDesktop = 0;
inline constexpr std::int32_t kCsidlPrograms = 2;
inline constexpr std::int32_t kCsidlPersonal = 5;
inline constexpr std::int32_t kCsidlCommonPrograms = 23;

// Token, privilege and restart.
inline constexpr std::uint32_t kTokenAdjustPrivileges = 0x20;
inline constexpr std::uint32_t kTokenQuery = 0x8;
inline constexpr std::uint32_t kSePrivilegeEnabled = 2;
inline constexpr std::uint32_t kEwxReboot = 2;

// Window styles for starting a program.
inline constexpr int kVbNormalFocus = 1;

// A TOKEN_PRIVILEGES record with room for one privilege (16 bytes on Windows).
struct TokenPrivileges {
    std::uint32_t privilegeCount = 0;
    std::uint64_t luid = 0;
    std::uint32_t attributes = 0;
};

// How a file is opened, as the runtime's Open statement names it.
enum class FileMode {
    Input,   // sequential input: fails when the file is missing, a folder, locked or unreadable
    Output,  // sequential output: creates or truncates
    Binary,  // read/write: creates when missing, never truncates
};

using FileHandle = std::uint64_t;
using ItemIdList = std::uint64_t;   // opaque PIDL; 0 = none
using ProcessHandle = std::uint64_t;
using TokenHandle = std::uint64_t;
using DdeConversation = std::uint64_t;  // 0 = no conversation

class WindowsServices {
public:
    virtual ~WindowsServices() = default;

    // --- Version and folders -------------------------------------------------
    // GetVersion: low byte major, next byte minor.
    virtual std::uint32_t getVersion() = 0;
    // GetWindowsDirectoryA / GetSystemDirectoryA, called with a buffer of
    // `bufferSize` characters: the folder as written into the buffer, or, when
    // the call fails or the folder does not fit, the empty text and the
    // character count the call returned in `needed` (0 on failure).
    virtual std::string getWindowsDirectory(std::uint32_t bufferSize, std::uint32_t& needed) = 0;
    virtual std::string getSystemDirectory(std::uint32_t bufferSize, std::uint32_t& needed) = 0;

    // --- Drives ---------------------------------------------------------------
    // The logical drives in letter order, each as upper-case letter and ":".
    virtual std::vector<std::string> logicalDrives() = 0;
    // GetDriveTypeA with the text given (the setup passes "C:" without "\").
    virtual std::uint32_t getDriveType(const std::string& root) = 0;

    // --- Current drive and folder (runtime statements; throw SetupError) -------
    // ChDrive: the first character names the drive.  An empty text does nothing.
    virtual void changeDrive(const std::string& drive) = 0;
    // ChDir: changes the current folder of the drive the path names (the
    // current drive when it names none), NOT the current drive.
    virtual void changeDirectory(const std::string& path) = 0;
    // CurDir of the current drive.
    virtual std::string currentDirectory() = 0;

    // --- Files (runtime statements; throw SetupError) -------------------------
    virtual FileHandle openFile(const std::string& path, FileMode mode) = 0;
    // Put: bytes at a 0-based offset (the runtime's position minus one).
    virtual void writeFile(FileHandle file, std::uint64_t offset, std::span<const std::uint8_t> bytes) = 0;
    // Get: up to `count` bytes from a 0-based offset.
    virtual std::vector<std::uint8_t> readFile(FileHandle file, std::uint64_t offset, std::size_t count) = 0;
    virtual std::uint64_t fileLength(FileHandle file) = 0;
    // Close: never throws; closing a handle that is not open does nothing.
    virtual void closeFile(FileHandle file) noexcept = 0;
    virtual void deleteFile(const std::string& path) = 0;                           // Kill
    virtual void copyFile(const std::string& from, const std::string& to) = 0;      // FileCopy (replaces)
    virtual void makeDirectory(const std::string& path) = 0;                        // MkDir

    // --- Shell folders ------------------------------------------------------------
    // SHGetSpecialFolderLocation: 0 (S_OK) and a list, or an HRESULT failure.
    virtual std::int32_t shGetSpecialFolderLocation(std::int32_t csidl, ItemIdList& list) = 0;
    // SHGetPathFromIDListA into a buffer of `bufferSize` characters: non-zero on success.
    virtual std::int32_t shGetPathFromIdList(ItemIdList list, std::uint32_t bufferSize, std::string& path) = 0;
    virtual void globalFree(ItemIdList list) = 0;

    // --- Registry (API contract: return codes, never throw) -----------------------
    // SHGetValueA: on entry `size` is the capacity of `data`; on success the
    // value's bytes are copied to the front of `data` and `size` and `type` are
    // set; when the value does not fit, 234 and nothing is copied.
    virtual std::int32_t shGetValue(RegKey root, const std::string& subKey, const std::string& valueName,
                                    std::uint32_t& type, std::span<std::uint8_t> data, std::uint32_t& size) = 0;
    virtual std::int32_t regOpenKeyEx(RegKey root, const std::string& subKey, std::uint32_t options,
                                      std::uint32_t access, RegKey& key) = 0;
    virtual std::int32_t regCreateKeyEx(RegKey root, const std::string& subKey, std::uint32_t options,
                                        std::uint32_t access, RegKey& key) = 0;
    virtual std::int32_t regSetValueEx(RegKey key, const std::string& valueName, std::uint32_t type,
                                       std::span<const std::uint8_t> data) = 0;
    virtual std::int32_t regCloseKey(RegKey key) = 0;

    // --- Processes -------------------------------------------------------------------
    // Shell: starts the command line with a window style and returns at once,
    // without waiting.  Throws SetupError (53) when the program cannot be started.
    virtual void startProgram(const std::string& commandLine, int windowStyle) = 0;

    // --- Token, privilege, restart (API contract) --------------------------------------
    virtual void setLastError(std::uint32_t code) = 0;
    virtual std::uint32_t getLastError() = 0;
    virtual ProcessHandle getCurrentProcess() = 0;
    virtual std::int32_t openProcessToken(ProcessHandle process, std::uint32_t access, TokenHandle& token) = 0;
    virtual std::int32_t lookupPrivilegeValue(const std::string& systemName, const std::string& name,
                                              std::uint64_t& luid) = 0;
    virtual std::int32_t adjustTokenPrivileges(TokenHandle token, bool disableAll, const TokenPrivileges& newState,
                                               std::uint32_t bufferLength, TokenPrivileges& previousState,
                                               std::uint32_t& returnLength) = 0;
    virtual std::int32_t exitWindowsEx(std::uint32_t flags, std::uint32_t reason) = 0;

    // --- Program Manager DDE (raw client) ---------------------------------------------
    // Connect to service|topic; 0 when no server answers.
    virtual DdeConversation ddeConnect(const std::string& service, const std::string& topic) = 0;
    // Execute one command string; false when the server refused it or the
    // timeout (milliseconds) ran out.
    virtual bool ddeExecute(DdeConversation conversation, const std::string& command, std::uint32_t timeoutMs) = 0;
    virtual void ddeDisconnect(DdeConversation conversation) = 0;
};

}  // namespace ortavia
