#include "platform/sim/faulty_services.h"


namespace ortavia::sim {

namespace {
constexpr std::int32_t kEFail = static_cast<std::int32_t>(0x80004005u);
}

void FaultyServices::failCall(FaultKind kind, std::uint64_t nth, bool persistent, std::optional<std::int32_t> code) {
    faults_.push_back(Fault{kind, nth, persistent, code.value_or(naturalCode(kind))});
}

void FaultyServices::clearFaults() { faults_.clear(); }

std::int32_t FaultyServices::naturalCode(FaultKind kind) {
    switch (kind) {
        case FaultKind::ChangeDrive: return err::kDeviceUnavailable;
        case FaultKind::ChangeDirectory: return err::kPathNotFound;
        case FaultKind::OpenFile: return err::kPathFileAccess;
        case FaultKind::WriteFile: return err::kDiskFull;
        case FaultKind::ReadFile: return err::kDeviceIo;
        case FaultKind::DeleteFile: return err::kPermissionDenied;
        case FaultKind::CopyFile: return err::kPermissionDenied;
        case FaultKind::MakeDirectory: return err::kPathFileAccess;
        case FaultKind::StartProgram: return err::kFileNotFound;
        case FaultKind::ShellFolder: return kEFail;
        case FaultKind::RegistryQuery: return kErrorFileNotFound;
        case FaultKind::RegistryOpen:
        case FaultKind::RegistryCreate:
        case FaultKind::RegistrySet:
        case FaultKind::OpenProcessToken:
        case FaultKind::ExitWindows: return kErrorAccessDenied;
        case FaultKind::LookupPrivilege: return 1313;  // ERROR_NO_SUCH_PRIVILEGE
        case FaultKind::AdjustPrivileges: return kErrorNotAllAssigned;
        case FaultKind::DriveType: return static_cast<std::int32_t>(kDriveNoRootDir);
        default: return 0;
    }
}

std::optional<std::int32_t> FaultyServices::next(FaultKind kind) {
    const std::uint64_t n = ++counts_[index(kind)];
    for (const auto& f : faults_) {
        if (f.kind == kind && (n == f.nth || (f.persistent && n > f.nth))) return f.code;
    }
    return std::nullopt;
}

void FaultyServices::statement(FaultKind kind) {
    if (auto code = next(kind)) throw SetupError(*code);
}

std::string FaultyServices::getWindowsDirectory(std::uint32_t bufferSize, std::uint32_t& needed) {
    if (next(FaultKind::GetWindowsDirectory)) {
        needed = 0;
        return {};
    }
    return inner_.getWindowsDirectory(bufferSize, needed);
}

std::string FaultyServices::getSystemDirectory(std::uint32_t bufferSize, std::uint32_t& needed) {
    if (next(FaultKind::GetSystemDirectory)) {
        needed = 0;
        return {};
    }
    return inner_.getSystemDirectory(bufferSize, needed);
}

std::uint32_t FaultyServices::getDriveType(const std::string& root) {
    if (auto code = next(FaultKind::DriveType)) return static_cast<std::uint32_t>(*code);
    return inner_.getDriveType(root);
}

void FaultyServices::changeDrive(const std::string& drive) {
    statement(FaultKind::ChangeDrive);
    inner_.changeDrive(drive);
}

void FaultyServices::changeDirectory(const std::string& path) {
    statement(FaultKind::ChangeDirectory);
    inner_.changeDirectory(path);
}

FileHandle FaultyServices::openFile(const std::string& path, FileMode mode) {
    statement(FaultKind::OpenFile);
    return inner_.openFile(path, mode);
}

void FaultyServices::writeFile(FileHandle file, std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    statement(FaultKind::WriteFile);
    inner_.writeFile(file, offset, bytes);
}

std::vector<std::uint8_t> FaultyServices::readFile(FileHandle file, std::uint64_t offset, std::size_t count) {
    statement(FaultKind::ReadFile);
    return inner_.readFile(file, offset, count);
}

void FaultyServices::deleteFile(const std::string& path) {
    statement(FaultKind::DeleteFile);
    inner_.deleteFile(path);
}

void FaultyServices::copyFile(const std::string& from, const std::string& to) {
    statement(FaultKind::CopyFile);
    inner_.copyFile(from, to);
}

void FaultyServices::makeDirectory(const std::string& path) {
    statement(FaultKind::MakeDirectory);
    inner_.makeDirectory(path);
}

std::int32_t FaultyServices::shGetSpecialFolderLocation(std::int32_t csidl, ItemIdList& list) {
    if (auto code = next(FaultKind::ShellFolder)) return *code;
    return inner_.shGetSpecialFolderLocation(csidl, list);
}

std::int32_t FaultyServices::shGetPathFromIdList(ItemIdList list, std::uint32_t bufferSize, std::string& path) {
    if (next(FaultKind::ShellPath)) return 0;
    return inner_.shGetPathFromIdList(list, bufferSize, path);
}

std::int32_t FaultyServices::shGetValue(RegKey root, const std::string& subKey, const std::string& valueName,
                                        std::uint32_t& type, std::span<std::uint8_t> data, std::uint32_t& size) {
    if (auto code = next(FaultKind::RegistryQuery)) return *code;
    return inner_.shGetValue(root, subKey, valueName, type, data, size);
}

std::int32_t FaultyServices::regOpenKeyEx(RegKey root, const std::string& subKey, std::uint32_t options,
                                          std::uint32_t access, RegKey& key) {
    if (auto code = next(FaultKind::RegistryOpen)) return *code;
    return inner_.regOpenKeyEx(root, subKey, options, access, key);
}

std::int32_t FaultyServices::regCreateKeyEx(RegKey root, const std::string& subKey, std::uint32_t options,
                                            std::uint32_t access, RegKey& key) {
    if (auto code = next(FaultKind::RegistryCreate)) return *code;
    return inner_.regCreateKeyEx(root, subKey, options, access, key);
}

std::int32_t FaultyServices::regSetValueEx(RegKey key, const std::string& valueName, std::uint32_t type,
                                           std::span<const std::uint8_t> data) {
    if (auto code = next(FaultKind::RegistrySet)) return *code;
    return inner_.regSetValueEx(key, valueName, type, data);
}

void FaultyServices::startProgram(const std::string& commandLine, int windowStyle) {
    statement(FaultKind::StartProgram);
    inner_.startProgram(commandLine, windowStyle);
}

std::int32_t FaultyServices::openProcessToken(ProcessHandle process, std::uint32_t access, TokenHandle& token) {
    if (auto code = next(FaultKind::OpenProcessToken)) {
        inner_.setLastError(static_cast<std::uint32_t>(*code));
        return 0;
    }
    return inner_.openProcessToken(process, access, token);
}

std::int32_t FaultyServices::lookupPrivilegeValue(const std::string& systemName, const std::string& name,
                                                  std::uint64_t& luid) {
    if (auto code = next(FaultKind::LookupPrivilege)) {
        inner_.setLastError(static_cast<std::uint32_t>(*code));
        return 0;
    }
    return inner_.lookupPrivilegeValue(systemName, name, luid);
}

std::int32_t FaultyServices::adjustTokenPrivileges(TokenHandle token, bool disableAll, const TokenPrivileges& newState,
                                                   std::uint32_t bufferLength, TokenPrivileges& previousState,
                                                   std::uint32_t& returnLength) {
    if (auto code = next(FaultKind::AdjustPrivileges)) {
        // Like the API when a privilege is not held: the call "succeeds" and
        // only the last error tells.
        inner_.setLastError(static_cast<std::uint32_t>(*code));
        return *code == kErrorNotAllAssigned ? 1 : 0;
    }
    return inner_.adjustTokenPrivileges(token, disableAll, newState, bufferLength, previousState, returnLength);
}

std::int32_t FaultyServices::exitWindowsEx(std::uint32_t flags, std::uint32_t reason) {
    if (auto code = next(FaultKind::ExitWindows)) {
        inner_.setLastError(static_cast<std::uint32_t>(*code));
        return 0;
    }
    return inner_.exitWindowsEx(flags, reason);
}

DdeConversation FaultyServices::ddeConnect(const std::string& service, const std::string& topic) {
    if (next(FaultKind::DdeConnect)) return 0;
    return inner_.ddeConnect(service, topic);
}

bool FaultyServices::ddeExecute(DdeConversation conversation, const std::string& command, std::uint32_t timeoutMs) {
    if (next(FaultKind::DdeExecute)) return false;
    return inner_.ddeExecute(conversation, command, timeoutMs);
}

}  // namespace ortavia::sim
