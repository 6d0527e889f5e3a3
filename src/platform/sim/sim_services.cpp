// File statements raise the runtime's numbers:
//   52 bad name or handle, 53 missing file, 54 wrong mode for the handle,
//   55 file already open for output, 61 disk full, 70 locked by another
//   program, 71 drive not ready, 75 read-only, a folder where a file is
//   meant (or the reverse), an existing folder for MkDir, 76 missing folder
//   or drive.
#include "platform/sim/sim_services.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "platform/sim/machine_impl.h"
#include "platform/sim/shell_link.h"

namespace ortavia::sim {

namespace fs = std::filesystem;

namespace {

constexpr ProcessHandle kCurrentProcessPseudoHandle = ~ProcessHandle{0};
constexpr const char* kShutdownPrivilegeName = "SeShutdownPrivilege";
constexpr std::uint64_t kShutdownPrivilegeLuid = 19;
constexpr std::uint32_t kErrorNoSuchPrivilege = 1313;
constexpr std::uint32_t kErrorShutdownRefused = 1115;
constexpr std::int32_t kEInvalidArg = static_cast<std::int32_t>(0x80070057u);
constexpr std::int32_t kEFail = static_cast<std::int32_t>(0x80004005u);
constexpr std::uint32_t kKeyWriteBits = 0x0002 | 0x0004 | 0x10000 | 0x40000 | 0x80000;
constexpr const char* kProgmanService = "ProgMan";
constexpr const char* kProgmanTopic = "Progman";
constexpr const char* kLinkExtension = ".lnk";

[[noreturn]] void raise(std::int32_t number) { throw SetupError(number); }

bool isDir(const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(p, ec);
}

std::string signedText(std::uint32_t v) { return std::to_string(static_cast<std::int32_t>(v)); }

// The arguments of a Program Manager command: split at commas outside quotes.
std::vector<std::string> splitArguments(const std::string& text) {
    std::vector<std::string> out(1);
    bool inQuotes = false;
    for (char c : text) {
        if (c == '"') inQuotes = !inQuotes;
        if (c == ',' && !inQuotes) {
            out.emplace_back();
        } else {
            out.back() += c;
        }
    }
    for (auto& a : out) {
        const auto b = a.find_first_not_of(' ');
        a = b == std::string::npos ? std::string() : a.substr(b, a.find_last_not_of(' ') - b + 1);
    }
    return out;
}

struct DdeCommand {
    std::string name;
    std::vector<std::string> args;
};

// "[Name(a,b)][Other]" into its commands; nothing when the text is not one.
std::optional<std::vector<DdeCommand>> parseDdeCommands(const std::string& text) {
    std::vector<DdeCommand> out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        if (text[i] != '[') return std::nullopt;
        const auto close = text.find(']', i);
        if (close == std::string::npos) return std::nullopt;
        const std::string body = text.substr(i + 1, close - i - 1);
        i = close + 1;
        DdeCommand cmd;
        const auto open = body.find('(');
        if (open == std::string::npos) {
            cmd.name = body;
        } else {
            if (body.back() != ')') return std::nullopt;
            cmd.name = body.substr(0, open);
            cmd.args = splitArguments(body.substr(open + 1, body.size() - open - 2));
        }
        out.push_back(std::move(cmd));
    }
    if (out.empty()) return std::nullopt;
    return out;
}

}  // namespace

SimServices::SimServices(MachineImpl& machine) : m_(machine) { resetProcess(); }

SimServices::~SimServices() { closeAll(); }

void SimServices::closeAll() noexcept {
    while (!files_.empty()) closeFile(files_.begin()->first);
}

void SimServices::resetProcess() {
    closeAll();
    current_ = m_.startFolders();
    keys_.clear();
    lists_.clear();
    conversations_.clear();
    currentGroup_.clear();
    lastError_ = 0;
}

// --- Version and folders ---------------------------------------------------------

std::uint32_t SimServices::getVersion() {
    const auto& c = m_.config();
    return static_cast<std::uint32_t>(c.major) | (static_cast<std::uint32_t>(c.minor) << 8);
}

namespace {
std::string folderIntoBuffer(const std::string& configured, std::uint32_t bufferSize, std::uint32_t& needed) {
    const auto p = parseAbsolutePath(configured);
    const std::string folder = p ? p->str() : configured;
    // The buffer needs room for the terminating NUL; when it has none the call
    // writes nothing and returns the size it needs, NUL included.
    if (bufferSize == 0 || folder.size() > bufferSize - 1) {
        needed = static_cast<std::uint32_t>(folder.size() + 1);
        return {};
    }
    needed = static_cast<std::uint32_t>(folder.size());
    return folder;
}
}  // namespace

std::string SimServices::getWindowsDirectory(std::uint32_t bufferSize, std::uint32_t& needed) {
    return folderIntoBuffer(m_.config().windowsFolder, bufferSize, needed);
}

std::string SimServices::getSystemDirectory(std::uint32_t bufferSize, std::uint32_t& needed) {
    return folderIntoBuffer(m_.config().systemFolder, bufferSize, needed);
}

// --- Drives ---------------------------------------------------------------------------

std::vector<std::string> SimServices::logicalDrives() {
    std::vector<std::string> out;
    for (const auto& d : m_.config().drives) out.push_back(std::string{d.letter, ':'});
    return out;
}

std::uint32_t SimServices::getDriveType(const std::string& root) {
    std::string text = root;
    if (text.empty()) text = std::string{current_.drive, ':'};
    // Only a root names a drive: "C:", "C:\" (or "C:/").
    const bool shape = (text.size() == 2 || (text.size() == 3 && (text[2] == '\\' || text[2] == '/'))) && text[1] == ':';
    if (!shape) return kDriveNoRootDir;
    const DriveSpec* d = m_.drive(text[0]);
    const char up = upperAscii(text[0]);
    if (up < 'A' || up > 'Z' || d == nullptr) return kDriveNoRootDir;
    return driveTypeCode(d->type);
}

void SimServices::changeDrive(const std::string& drive) {
    if (drive.empty()) return;
    const DriveSpec* d = m_.drive(drive[0]);
    const char up = upperAscii(drive[0]);
    if (up < 'A' || up > 'Z' || d == nullptr || !d->ready) raise(err::kDeviceUnavailable);
    current_.drive = up;
}

WinPath SimServices::resolveForStatement(const std::string& path) const {
    const auto p = resolvePath(path, current_);
    if (!p) raise(err::kBadFileNameOrNumber);
    const DriveSpec* d = m_.drive(p->drive);
    if (d == nullptr) raise(err::kPathNotFound);
    if (!d->ready) raise(err::kDiskNotReady);
    return *p;
}

void SimServices::changeDirectory(const std::string& path) {
    if (path.empty()) raise(err::kPathNotFound);
    const WinPath p = resolveForStatement(path);
    const auto host = m_.findHost(p);
    if (!host || !isDir(*host)) raise(err::kPathNotFound);
    current_.folders[static_cast<std::size_t>(p.drive - 'A')] = p.str();
}

std::string SimServices::currentDirectory() {
    const std::string& folder = current_.of(current_.drive);
    return folder.empty() ? std::string{current_.drive, ':', '\\'} : folder;
}

// --- Files ------------------------------------------------------------------------------

bool SimServices::isOpen(const std::string& key, bool forOutputOnly) const {
    return std::any_of(files_.begin(), files_.end(), [&](const auto& f) {
        return f.second.key == key && (!forOutputOnly || f.second.mode == FileMode::Output);
    });
}

SimServices::OpenFile& SimServices::handle(FileHandle file) {
    const auto it = files_.find(file);
    if (it == files_.end()) raise(err::kBadFileNameOrNumber);
    return it->second;
}

FileHandle SimServices::openFile(const std::string& path, FileMode mode) {
    const WinPath p = resolveForStatement(path);
    if (p.isRoot()) raise(err::kPathFileAccess);
    const auto parentHost = m_.findHost(p.parent());
    if (!parentHost || !isDir(*parentHost)) raise(err::kPathNotFound);
    const auto existing = m_.findHost(p);
    if (existing && isDir(*existing)) raise(err::kPathFileAccess);
    if (m_.isLocked(p)) raise(err::kPermissionDenied);
    // A running program's image shares reading only: a sharing violation for writers.
    if (m_.isRunning(p) && mode != FileMode::Input) raise(err::kPermissionDenied);
    const std::string key = p.key();
    // The runtime refuses a second open of a file it holds for output, and an
    // output open of a file it holds at all.
    if (isOpen(key, mode != FileMode::Output)) raise(err::kFileAlreadyOpen);

    OpenFile f;
    f.path = p;
    f.key = key;
    f.mode = mode;
    fs::path host;
    if (existing) {
        host = *existing;
    } else {
        if (mode == FileMode::Input) raise(err::kFileNotFound);
        if (m_.isReadOnly(p.parent())) raise(err::kPathFileAccess);
        host = *parentHost / p.parts.back();
    }
    switch (mode) {
        case FileMode::Input:
            f.file = std::fopen(host.c_str(), "rb");
            break;
        case FileMode::Output:
            if (existing && m_.isReadOnly(p)) raise(err::kPathFileAccess);
            f.file = std::fopen(host.c_str(), "w+b");
            f.writable = true;
            if (f.file != nullptr) m_.log({existing ? "truncate" : "create", p.str()});
            break;
        case FileMode::Binary:
            // Binary access is read/write when the file allows it and falls
            // back to reading, so a read-only file still opens; Put then fails.
            f.writable = !m_.isReadOnly(p);
            if (!existing) {
                f.file = std::fopen(host.c_str(), "w+b");
                if (f.file != nullptr) m_.log({"create", p.str()});
            } else {
                f.file = std::fopen(host.c_str(), f.writable ? "r+b" : "rb");
            }
            break;
    }
    if (f.file == nullptr) raise(err::kPathFileAccess);
    std::error_code ec;
    f.length = fs::file_size(host, ec);
    const FileHandle id = nextFile_++;
    files_.emplace(id, f);
    return id;
}

void SimServices::writeFile(FileHandle file, std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    OpenFile& f = handle(file);
    if (f.mode == FileMode::Input) raise(err::kBadFileMode);
    if (!f.writable) raise(err::kPathFileAccess);
    const std::uint64_t end = offset + bytes.size();
    // A full disk still lets a program overwrite what it already has.
    if (end > f.length && m_.isFull(f.path.drive)) raise(err::kDiskFull);
    if (f.position != offset && std::fseek(f.file, static_cast<long>(offset), SEEK_SET) != 0) raise(err::kDeviceIo);
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f.file) != bytes.size()) raise(err::kDeviceIo);
    f.position = end;
    f.length = std::max(f.length, end);
    f.written += bytes.size();
}

std::vector<std::uint8_t> SimServices::readFile(FileHandle file, std::uint64_t offset, std::size_t count) {
    OpenFile& f = handle(file);
    if (f.mode == FileMode::Output) raise(err::kBadFileMode);
    std::vector<std::uint8_t> out;
    if (offset >= f.length) return out;
    out.resize(static_cast<std::size_t>(std::min<std::uint64_t>(count, f.length - offset)));
    if (std::fseek(f.file, static_cast<long>(offset), SEEK_SET) != 0) raise(err::kDeviceIo);
    out.resize(std::fread(out.data(), 1, out.size(), f.file));
    f.position = offset + out.size();
    return out;
}

std::uint64_t SimServices::fileLength(FileHandle file) { return handle(file).length; }

void SimServices::closeFile(FileHandle file) noexcept {
    const auto it = files_.find(file);
    if (it == files_.end()) return;
    OpenFile f = it->second;
    files_.erase(it);
    std::fclose(f.file);
    if (f.written > 0) {
        try {
            m_.log({"write", f.path.str(), std::to_string(f.written)});
        } catch (const std::exception&) {
            // Close never fails; a journal that cannot be written loses the line.
        }
    }
}

void SimServices::deleteFile(const std::string& path) {
    const WinPath p = resolveForStatement(path);
    if (p.isRoot()) raise(err::kFileNotFound);
    const auto parentHost = m_.findHost(p.parent());
    if (!parentHost || !isDir(*parentHost)) raise(err::kPathNotFound);
    const auto host = m_.findHost(p);
    if (!host || isDir(*host)) raise(err::kFileNotFound);
    if (m_.isLocked(p)) raise(err::kPermissionDenied);
    // Windows refuses to delete the image of a running program (access denied).
    if (isOpen(p.key(), false) || m_.isReadOnly(p) || m_.isRunning(p)) raise(err::kPathFileAccess);
    std::error_code ec;
    if (!fs::remove(*host, ec)) raise(err::kPathFileAccess);
    m_.log({"delete", p.str()});
}

void SimServices::copyFile(const std::string& from, const std::string& to) {
    const WinPath src = resolveForStatement(from);
    const WinPath dst = resolveForStatement(to);
    if (src.isRoot() || dst.isRoot()) raise(err::kPathFileAccess);
    const auto srcParent = m_.findHost(src.parent());
    if (!srcParent || !isDir(*srcParent)) raise(err::kPathNotFound);
    const auto srcHost = m_.findHost(src);
    if (!srcHost || isDir(*srcHost)) raise(err::kFileNotFound);
    if (m_.isLocked(src) || isOpen(src.key(), true)) raise(err::kPermissionDenied);

    const auto dstParent = m_.findHost(dst.parent());
    if (!dstParent || !isDir(*dstParent)) raise(err::kPathNotFound);
    const auto dstHost = m_.findHost(dst);
    if (dstHost && isDir(*dstHost)) raise(err::kPathFileAccess);
    if (m_.isLocked(dst) || m_.isRunning(dst) || isOpen(dst.key(), false)) raise(err::kPermissionDenied);
    if (m_.isReadOnly(dst)) raise(err::kPathFileAccess);
    std::error_code ec;
    if (dstHost && fs::equivalent(*srcHost, *dstHost, ec)) raise(err::kPermissionDenied);
    const std::uint64_t size = fs::file_size(*srcHost, ec);
    const std::uint64_t had = dstHost ? fs::file_size(*dstHost, ec) : 0;
    if (size > had && m_.isFull(dst.drive)) raise(err::kDiskFull);
    const fs::path target = dstHost ? *dstHost : *dstParent / dst.parts.back();
    if (!fs::copy_file(*srcHost, target, fs::copy_options::overwrite_existing, ec)) raise(err::kPathFileAccess);
    m_.log({"copy", src.str(), dst.str()});
}

void SimServices::makeDirectory(const std::string& path) {
    const WinPath p = resolveForStatement(path);
    if (p.isRoot()) raise(err::kPathFileAccess);
    const auto parentHost = m_.findHost(p.parent());
    if (!parentHost || !isDir(*parentHost)) raise(err::kPathNotFound);
    if (m_.findHost(p)) raise(err::kPathFileAccess);
    if (m_.isReadOnly(p.parent())) raise(err::kPathFileAccess);
    std::error_code ec;
    if (!fs::create_directory(*parentHost / p.parts.back(), ec)) raise(err::kPathFileAccess);
    m_.log({"mkdir", p.str()});
}

// --- Shell folders ------------------------------------------------------------------------

std::int32_t SimServices::shGetSpecialFolderLocation(std::int32_t csidl, ItemIdList& list) {
    const auto& c = m_.config();
    const std::string* folder = nullptr;
    switch (csidl) {
        case kCsidlDesktop: folder = &c.desktop; break;
        case kCsidlPrograms: folder = &c.programs; break;
        case kCsidlPersonal: folder = &c.documents; break;
        case kCsidlCommonPrograms: folder = &c.commonPrograms; break;
        default: return kEInvalidArg;
    }
    if (folder->empty()) return kEFail;
    list = nextList_++;
    lists_[list] = *folder;
    return 0;
}

std::int32_t SimServices::shGetPathFromIdList(ItemIdList list, std::uint32_t bufferSize, std::string& path) {
    const auto it = lists_.find(list);
    if (it == lists_.end() || it->second.size() + 1 > bufferSize) return 0;
    // The caller's buffer: the folder as the system gives it, then NULs.
    path = it->second;
    path.resize(bufferSize, '\0');
    return 1;
}

void SimServices::globalFree(ItemIdList list) { lists_.erase(list); }

// --- Registry -----------------------------------------------------------------------------

std::int32_t SimServices::shGetValue(RegKey root, const std::string& subKey, const std::string& valueName,
                                     std::uint32_t& type, std::span<std::uint8_t> data, std::uint32_t& size) {
    std::string base;
    if (const auto k = keys_.find(root); k != keys_.end()) {
        base = k->second.path;
    } else {
        base = rootName(root);
    }
    if (base.empty()) return kErrorInvalidHandle;
    const std::string path = Registry::fullPath(base, subKey);
    if (!m_.registry().hasKey(path)) return kErrorFileNotFound;
    const RegistryValue* v = m_.registry().value(path, valueName);
    if (v == nullptr) return kErrorFileNotFound;
    const std::size_t capacity = std::min<std::size_t>(size, data.size());
    type = v->type;
    if (v->data.size() > capacity) {
        size = static_cast<std::uint32_t>(v->data.size());
        return kErrorMoreData;
    }
    std::copy(v->data.begin(), v->data.end(), data.begin());
    size = static_cast<std::uint32_t>(v->data.size());
    return kErrorSuccess;
}

std::int32_t SimServices::openKey(RegKey root, const std::string& subKey, std::uint32_t access, bool create,
                                  RegKey& key) {
    std::string base;
    bool machineHive = false;
    if (const auto k = keys_.find(root); k != keys_.end()) {
        base = k->second.path;
    } else {
        base = rootName(root);
    }
    if (base.empty()) return kErrorInvalidHandle;
    machineHive = equalsNoCase(splitKeyPath(base)[0], rootName(kHkeyLocalMachine));
    const bool writing = create || (access & kKeyWriteBits) != 0;
    const std::string path = Registry::fullPath(base, subKey);
    if (!create && !m_.registry().hasKey(path) && !splitKeyPath(subKey).empty()) return kErrorFileNotFound;
    // Only an administrator may open the machine's keys for writing.
    if (machineHive && writing && !m_.config().admin) return kErrorAccessDenied;
    if (create) {
        const auto made = m_.registry().createKey(path);
        if (!made.empty()) {
            for (const auto& k : made) m_.log({"reg-create", k});
            m_.saveRegistry();
        }
    }
    key = nextKey_++;
    keys_[key] = OpenKey{m_.registry().key(path) ? m_.registry().key(path)->path : path, writing};
    return kErrorSuccess;
}

std::int32_t SimServices::regOpenKeyEx(RegKey root, const std::string& subKey, std::uint32_t, std::uint32_t access,
                                       RegKey& key) {
    return openKey(root, subKey, access, false, key);
}

std::int32_t SimServices::regCreateKeyEx(RegKey root, const std::string& subKey, std::uint32_t, std::uint32_t access,
                                         RegKey& key) {
    return openKey(root, subKey, access, true, key);
}

std::int32_t SimServices::regSetValueEx(RegKey key, const std::string& valueName, std::uint32_t type,
                                        std::span<const std::uint8_t> data) {
    std::string path;
    if (const auto k = keys_.find(key); k != keys_.end()) {
        if (!k->second.writable) return kErrorAccessDenied;
        path = k->second.path;
    } else {
        path = rootName(key);
        if (path.empty()) return kErrorInvalidHandle;
        if (key == kHkeyLocalMachine && !m_.config().admin) return kErrorAccessDenied;
    }
    std::vector<std::uint8_t> bytes(data.begin(), data.end());
    m_.log({"reg-set", path, valueName, formatRegistryData(type, bytes)});
    m_.registry().setValue(path, valueName, type, std::move(bytes));
    m_.saveRegistry();
    return kErrorSuccess;
}

std::int32_t SimServices::regCloseKey(RegKey key) {
    if (keys_.erase(key) != 0) return kErrorSuccess;
    return rootName(key).empty() ? kErrorInvalidHandle : kErrorSuccess;
}

// --- Processes ------------------------------------------------------------------------------

void SimServices::startProgram(const std::string& commandLine, int) {
    if (!m_.resolveProgram(commandLine, current_)) {
        m_.log({"start-refused", commandLine, std::to_string(err::kFileNotFound)});
        raise(err::kFileNotFound);
    }
    m_.log({"start", commandLine});
}

// --- Token, privilege, restart ---------------------------------------------------------------

void SimServices::setLastError(std::uint32_t code) { lastError_ = code; }

std::uint32_t SimServices::getLastError() { return lastError_; }

ProcessHandle SimServices::getCurrentProcess() { return kCurrentProcessPseudoHandle; }

std::int32_t SimServices::openProcessToken(ProcessHandle process, std::uint32_t, TokenHandle& token) {
    if (process != kCurrentProcessPseudoHandle) {
        lastError_ = static_cast<std::uint32_t>(kErrorInvalidHandle);
        return 0;
    }
    token = nextToken_++;
    return 1;
}

std::int32_t SimServices::lookupPrivilegeValue(const std::string&, const std::string& name, std::uint64_t& luid) {
    if (!equalsNoCase(name, kShutdownPrivilegeName)) {
        lastError_ = kErrorNoSuchPrivilege;
        return 0;
    }
    luid = kShutdownPrivilegeLuid;
    return 1;
}

std::int32_t SimServices::adjustTokenPrivileges(TokenHandle token, bool, const TokenPrivileges&, std::uint32_t,
                                                TokenPrivileges& previousState, std::uint32_t& returnLength) {
    if (token < 0x500 || token >= nextToken_) {
        lastError_ = static_cast<std::uint32_t>(kErrorInvalidHandle);
        return 0;
    }
    // The call succeeds even when the privilege is not held: only the last
    // error tells, with ERROR_NOT_ALL_ASSIGNED.
    previousState = TokenPrivileges{};
    returnLength = sizeof(std::uint32_t);
    lastError_ = m_.config().shutdownPrivilege ? 0u : static_cast<std::uint32_t>(kErrorNotAllAssigned);
    return 1;
}

std::int32_t SimServices::exitWindowsEx(std::uint32_t flags, std::uint32_t reason) {
    m_.log({"restart", signedText(flags), signedText(reason)});
    if (!m_.config().restartAccept) {
        lastError_ = kErrorShutdownRefused;
        m_.log({"restart-refused", std::to_string(kErrorShutdownRefused)});
        return 0;
    }
    m_.requestRestart();
    lastError_ = 0;
    return 1;
}

// --- Program Manager DDE ------------------------------------------------------------------------

DdeConversation SimServices::ddeConnect(const std::string& service, const std::string& topic) {
    if (!m_.config().progman || !equalsNoCase(service, kProgmanService) || !equalsNoCase(topic, kProgmanTopic)) {
        return 0;
    }
    const DdeConversation id = nextConversation_++;
    conversations_[id] = true;
    return id;
}

bool SimServices::progmanExecuteOne(const std::string& name, const std::vector<std::string>& args) {
    const auto& c = m_.config();
    // Before 5.1 the shell kept the groups Program Manager made among the
    // all-users programs.
    const std::string& programs = c.versionBelow(5, 1) ? c.commonPrograms : c.programs;
    if (equalsNoCase(name, "CreateGroup") || equalsNoCase(name, "ShowGroup")) {
        if (args.empty() || args[0].empty() || programs.empty()) return false;
        const auto base = parseAbsolutePath(programs);
        if (!base || !validName(args[0])) return false;
        const WinPath group = base->child(args[0]);
        if (equalsNoCase(name, "ShowGroup")) {
            if (!m_.findHost(group)) return false;
            currentGroup_ = group.str();
            return true;
        }
        const auto host = m_.findHost(group);
        if (!host) {
            const auto parent = m_.findHost(*base);
            if (!parent || m_.isReadOnly(*base) || !m_.drive(base->drive) || !m_.drive(base->drive)->ready) return false;
            std::error_code ec;
            fs::create_directories(*parent / args[0], ec);
            if (ec) return false;
            m_.log({"mkdir", group.str()});
        } else if (!isDir(*host)) {
            return false;
        }
        currentGroup_ = group.str();
        return true;
    }
    if (equalsNoCase(name, "AddItem")) {
        if (args.empty() || args[0].empty() || currentGroup_.empty()) return false;
        const CommandLine cl = splitCommandLine(args[0]);
        const auto target = parseAbsolutePath(cl.program);
        if (!target || target->isRoot()) return false;
        std::string title = args.size() > 1 ? args[1] : std::string();
        if (title.empty()) {
            title = target->parts.back();
            const auto dot = title.rfind('.');
            if (dot != std::string::npos && dot > 0) title.resize(dot);
        }
        if (!validName(title)) return false;
        ShellLinkSpec fields;
        fields.target = target->str();
        fields.arguments = cl.arguments;
        fields.workingDirectory = (args.size() > 6 && !args[6].empty()) ? args[6] : target->parent().str();
        const DriveSpec* d = m_.drive(target->drive);
        fields.driveType = d ? driveTypeCode(d->type) : kDriveUnknown;
        const WinPath group = *parseAbsolutePath(currentGroup_);
        const WinPath link = group.child(title + kLinkExtension);
        const auto host = m_.hostForNew(link);
        if (!host || m_.isReadOnly(link) || m_.isLocked(link)) return false;
        const std::vector<std::uint8_t> bytes = makeShellLink(fields);
        std::FILE* out = std::fopen(host->c_str(), "wb");
        if (out == nullptr) return false;
        const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
        std::fclose(out);
        if (!ok) return false;
        m_.log({"link", link.str(), fields.target});
        return true;
    }
    return false;
}

bool SimServices::ddeExecute(DdeConversation conversation, const std::string& command, std::uint32_t) {
    if (conversations_.count(conversation) == 0) return false;
    m_.log({"dde", std::string(kProgmanService) + "|" + kProgmanTopic, command});
    const auto commands = parseDdeCommands(command);
    if (!commands) return false;
    for (const auto& cmd : *commands) {
        if (!progmanExecuteOne(cmd.name, cmd.args)) return false;
    }
    return true;
}

void SimServices::ddeDisconnect(DdeConversation conversation) { conversations_.erase(conversation); }

}  // namespace ortavia::sim
