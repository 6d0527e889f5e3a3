#include <stdexcept>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "platform/sim/machine_impl.h"

namespace ortavia::sim {

namespace fs = std::filesystem;

namespace {

constexpr const char* kRunOnceKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kPoliciesSystemKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr const char* kEnableLuaName = "EnableLUA";
constexpr const char* kSysWow64Name = "SysWOW64";
// A stand-in for an executable's contents: enough to be a file that exists.
const std::vector<std::uint8_t> kProgramStub = {'M', 'Z', 0x90, 0x00};

std::string readWhole(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeWhole(const fs::path& file, const std::string& text) {
    // Written beside and renamed over, so a reader never sees half a file.
    const fs::path temp = file.string() + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush()) throw std::runtime_error("cannot write " + temp.string());
    }
    fs::rename(temp, file);
}

fs::path driveFolder(const fs::path& dir, char letter) { return dir / std::string(1, upperAscii(letter)); }

// Creates every folder of `path` on the host below the drive folder, reusing
// names that exist in another case.
fs::path makeHostFolders(const fs::path& dir, const WinPath& path) {
    fs::path host = driveFolder(dir, path.drive);
    fs::create_directories(host);
    for (const auto& part : path.parts) {
        fs::path next = host / part;
        if (!fs::exists(next)) {
            for (const auto& entry : fs::directory_iterator(host)) {
                if (equalsNoCase(entry.path().filename().string(), part)) {
                    next = entry.path();
                    break;
                }
            }
        }
        fs::create_directories(next);
        host = next;
    }
    return host;
}

// The standard folders and files of a drive whose folder has just been made.
void populateDrive(const fs::path& dir, const MachineConfig& c, char letter) {
    auto folder = [&](const std::string& text) -> std::optional<WinPath> {
        auto p = parseAbsolutePath(text);
        if (!p || p->drive != letter) return std::nullopt;
        makeHostFolders(dir, *p);
        return p;
    };
    auto stub = [&](const WinPath& in, const char* name) {
        std::ofstream(makeHostFolders(dir, in) / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(kProgramStub.data()), static_cast<std::streamsize>(kProgramStub.size()));
    };
    if (auto windows = folder(c.windowsFolder)) {
        // A 32-bit program on 64-bit Windows keeps its components in SysWOW64;
        // the standard machine of a version that has it is a 64-bit one.
        if (!c.versionBelow(6, 1)) stub(windows->child(kSysWow64Name), kRegsvr32FileName);
    }
    if (auto system = folder(c.systemFolder)) stub(*system, kRegsvr32FileName);
    for (const auto* shell : {&c.desktop, &c.programs, &c.documents, &c.commonPrograms}) folder(*shell);
    if (auto setup = folder(c.setupFolder)) stub(*setup, kSetupFileName);
}

}  // namespace

namespace {
// "FILE:LINE: why", built by appending: GCC 12 at -O3 reports a false overlap
// (-Wrestrict) for the same text built from chained temporaries.
std::string machineErrorText(const std::string& file, int line, const std::string& why) {
    std::string text = file;
    if (line > 0) {
        text.append(":");
        text.append(std::to_string(line));
    }
    text.append(": ");
    text.append(why);
    return text;
}
}  // namespace

MachineError::MachineError(std::string f, int l, const std::string& why)
    : std::runtime_error(machineErrorText(f, l, why)),
      file(std::move(f)),
      line(l) {}

Registry defaultRegistry() {
    Registry reg;
    for (RegKey root : {kHkeyLocalMachine, kHkeyCurrentUser}) {
        reg.createKey(Registry::fullPath(root, kRunKey));
        reg.createKey(Registry::fullPath(root, kRunOnceKey));
    }
    reg.setValue(Registry::fullPath(kHkeyLocalMachine, kPoliciesSystemKey), kEnableLuaName, kRegDword, {1, 0, 0, 0});
    return reg;
}

void SimMachine::createDefault(const fs::path& dir) {
    if (fs::exists(dir / kMachineIniName)) {
        throw MachineError((dir / kMachineIniName).string(), 0, "a machine already exists here");
    }
    fs::create_directories(dir);
    const MachineConfig config;
    writeWhole(dir / kMachineIniName, formatMachineIni(config));
    writeWhole(dir / kRegistryFileName, defaultRegistry().format());
    for (const auto& d : config.drives) {
        fs::create_directories(driveFolder(dir, d.letter));
        populateDrive(dir, config, d.letter);
    }
}

std::unique_ptr<SimMachine> SimMachine::open(const fs::path& dir) {
    if (!fs::exists(dir)) createDefault(dir);
    if (!fs::is_directory(dir)) throw MachineError(dir.string(), 0, "not a folder");

    // Everything is read and checked before anything is written.
    const fs::path ini = dir / kMachineIniName;
    const fs::path reg = dir / kRegistryFileName;
    const bool iniThere = fs::exists(ini);
    const bool regThere = fs::exists(reg);
    MachineConfig config = iniThere ? parseMachineIni(readWhole(ini), ini.string()) : MachineConfig{};
    Registry registry = regThere ? Registry::parse(readWhole(reg), reg.string()) : defaultRegistry();

    if (!iniThere) writeWhole(ini, formatMachineIni(config));
    if (!regThere) writeWhole(reg, registry.format());
    for (const auto& d : config.drives) {
        if (!fs::exists(driveFolder(dir, d.letter))) {
            fs::create_directories(driveFolder(dir, d.letter));
            populateDrive(dir, config, d.letter);
        }
    }
    return std::make_unique<MachineImpl>(dir, std::move(config), std::move(registry));
}

MachineImpl::MachineImpl(fs::path dir, MachineConfig config, Registry registry)
    : dir_(std::move(dir)), config_(std::move(config)), registry_(std::move(registry)) {
    journal_ = std::make_unique<Journal>(dir_ / kJournalFileName);
    rebuildFaultKeys();
    services_ = std::make_unique<SimServices>(*this);
}

MachineImpl::~MachineImpl() {
    services_.reset();  // closes what the process left open
    unlockInstance();
}

void MachineImpl::log(const std::vector<std::string>& fields) { journal_->write(fields); }

std::string MachineImpl::setupFolder() const {
    const auto p = parseAbsolutePath(config_.setupFolder);
    return p ? p->str() : config_.setupFolder;
}

bool MachineImpl::lockInstance() {
    if (lockFd_ >= 0) return true;
    const int fd = ::open((dir_ / kLockFileName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    lockFd_ = fd;
    return true;
}

void MachineImpl::unlockInstance() {
    if (lockFd_ < 0) return;
    ::flock(lockFd_, LOCK_UN);
    ::close(lockFd_);
    lockFd_ = -1;
}

bool MachineImpl::anotherCopyRunning() const {
    if (config_.anotherCopyRunning) return true;
    if (lockFd_ >= 0) return false;  // the lock is ours
    const int fd = ::open((dir_ / kLockFileName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    if (!held) ::flock(fd, LOCK_UN);
    ::close(fd);
    return held;
}

std::vector<std::string> MachineImpl::restartAndTakeRunOnce() {
    restartPending_ = false;
    log({"reboot"});
    std::vector<std::string> commands;
    for (RegKey root : {kHkeyLocalMachine, kHkeyCurrentUser}) {
        const std::string key = Registry::fullPath(root, kRunOnceKey);
        for (const auto& v : registry_.values(key)) {
            const auto end = std::find(v.data.begin(), v.data.end(), std::uint8_t{0});
            std::string command(v.data.begin(), end);
            registry_.deleteValue(key, v.name);
            log({"runonce", key, v.name, command});
            commands.push_back(std::move(command));
        }
    }
    saveRegistry();
    services_->resetProcess();
    return commands;
}

const DriveSpec* MachineImpl::drive(char letter) const {
    const char up = upperAscii(letter);
    for (const auto& d : config_.drives) {
        if (d.letter == up) return &d;
    }
    return nullptr;
}

std::optional<fs::path> MachineImpl::findHost(const WinPath& path) const {
    if (drive(path.drive) == nullptr) return std::nullopt;
    fs::path host = driveFolder(dir_, path.drive);
    std::error_code ec;
    if (!fs::is_directory(host, ec)) return std::nullopt;
    for (const auto& part : path.parts) {
        fs::path next = host / part;
        if (!fs::exists(next, ec)) {
            if (!fs::is_directory(host, ec)) return std::nullopt;
            bool found = false;
            for (const auto& entry : fs::directory_iterator(host, ec)) {
                if (equalsNoCase(entry.path().filename().string(), part)) {
                    next = entry.path();
                    found = true;
                    break;
                }
            }
            if (!found) return std::nullopt;
        }
        host = next;
    }
    return host;
}

std::optional<fs::path> MachineImpl::hostForNew(const WinPath& path) const {
    if (path.isRoot()) return findHost(path);
    const auto parent = findHost(path.parent());
    std::error_code ec;
    if (!parent || !fs::is_directory(*parent, ec)) return std::nullopt;
    if (auto existing = findHost(path)) return existing;
    return *parent / path.parts.back();
}

bool MachineImpl::isLocked(const WinPath& path) const { return lockedKeys_.count(path.key()) != 0; }

bool MachineImpl::isRunning(const WinPath& path) const { return runningKeys_.count(path.key()) != 0; }

bool MachineImpl::isReadOnly(const WinPath& path) const {
    return std::any_of(readOnlyPaths_.begin(), readOnlyPaths_.end(), [&](const WinPath& r) { return path.within(r); });
}

bool MachineImpl::isFull(char letter) const { return config_.fullDrives.find(upperAscii(letter)) != std::string::npos; }

void MachineImpl::rebuildFaultKeys() {
    lockedKeys_.clear();
    runningKeys_.clear();
    readOnlyPaths_.clear();
    for (const auto& p : config_.running) {
        if (auto w = parseAbsolutePath(p)) runningKeys_.insert(w->key());
    }
    for (const auto& p : config_.locked) {
        if (auto w = parseAbsolutePath(p)) lockedKeys_.insert(w->key());
    }
    for (const auto& p : config_.readOnly) {
        if (auto w = parseAbsolutePath(p)) readOnlyPaths_.push_back(*w);
    }
}

void MachineImpl::saveConfig() {
    writeWhole(dir_ / kMachineIniName, formatMachineIni(config_));
    rebuildFaultKeys();
}

void MachineImpl::saveRegistry() { writeWhole(dir_ / kRegistryFileName, registry_.format()); }

CurrentFolders MachineImpl::startFolders() const {
    CurrentFolders c;
    if (auto setup = parseAbsolutePath(config_.setupFolder)) {
        c.drive = setup->drive;
        c.folders[static_cast<std::size_t>(setup->drive - 'A')] = setup->str();
    }
    return c;
}

bool MachineImpl::fileExists(const std::string& windowsPath) const {
    const auto p = parseAbsolutePath(windowsPath);
    if (!p) return false;
    const auto host = findHost(*p);
    std::error_code ec;
    return host && fs::is_regular_file(*host, ec);
}

bool MachineImpl::folderExists(const std::string& windowsPath) const {
    const auto p = parseAbsolutePath(windowsPath);
    if (!p) return false;
    const auto host = findHost(*p);
    std::error_code ec;
    return host && fs::is_directory(*host, ec);
}

std::optional<std::vector<std::uint8_t>> MachineImpl::readFileBytes(const std::string& windowsPath) const {
    if (!fileExists(windowsPath)) return std::nullopt;
    const std::string text = readWhole(*findHost(*parseAbsolutePath(windowsPath)));
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

fs::path MachineImpl::hostPath(const std::string& windowsPath) const {
    const auto p = parseAbsolutePath(windowsPath);
    if (!p) throw MachineError(windowsPath, 0, "not an absolute Windows path");
    if (auto host = findHost(*p)) return *host;
    // Not there yet: where it would be, keeping the names that exist.
    WinPath existing = *p;
    std::vector<std::string> missing;
    while (!existing.isRoot() && !findHost(existing)) {
        missing.insert(missing.begin(), existing.parts.back());
        existing = existing.parent();
    }
    fs::path host = findHost(existing).value_or(driveFolder(dir_, p->drive));
    for (const auto& m : missing) host /= m;
    return host;
}

std::optional<WinPath> MachineImpl::resolveProgram(const std::string& commandLine,
                                                   const CurrentFolders& current) const {
    const CommandLine cl = splitCommandLine(commandLine);
    if (cl.program.empty()) return std::nullopt;
    // Unquoted, "C:\Program Files\x.exe" is first tried as "C:\Program".
    std::vector<std::string> candidates;
    if (cl.quoted) {
        candidates.push_back(cl.program);
    } else {
        const std::string rest = commandLine.substr(commandLine.find_first_not_of(" \t"));
        for (std::size_t blank = rest.find(' '); blank != std::string::npos; blank = rest.find(' ', blank + 1)) {
            candidates.push_back(rest.substr(0, blank));
        }
        candidates.push_back(rest);
    }
    auto exists = [&](const WinPath& p) {
        const auto host = findHost(p);
        std::error_code ec;
        const DriveSpec* d = drive(p.drive);
        return d != nullptr && d->ready && host && fs::is_regular_file(*host, ec);
    };
    for (auto name : candidates) {
        const auto dot = name.find_last_of(".\\");
        if (dot == std::string::npos || name[dot] != '.') name += ".exe";
        const bool hasFolder = name.find_first_of("\\/:") != std::string::npos;
        std::vector<CurrentFolders> bases;
        if (hasFolder) {
            bases.push_back(current);
        } else {
            // The program's own folder, the current folder, the system folder, the Windows folder.
            for (const auto& folder : {config_.setupFolder, std::string(), config_.systemFolder, config_.windowsFolder}) {
                CurrentFolders base = current;
                if (!folder.empty()) {
                    const auto f = parseAbsolutePath(folder);
                    if (!f) continue;
                    base.drive = f->drive;
                    base.folders[static_cast<std::size_t>(f->drive - 'A')] = f->str();
                }
                bases.push_back(base);
            }
        }
        for (const auto& base : bases) {
            const auto p = resolvePath(name, base);
            if (p && exists(*p)) return p;
        }
    }
    return std::nullopt;
}

std::optional<std::string> MachineImpl::programOf(const std::string& commandLine) const {
    const auto p = resolveProgram(commandLine, startFolders());
    if (!p) return std::nullopt;
    return p->str();
}

void MachineImpl::addDrive(const DriveSpec& d) {
    DriveSpec drive = d;
    drive.letter = upperAscii(drive.letter);
    auto& drives = config_.drives;
    drives.erase(std::remove_if(drives.begin(), drives.end(), [&](const DriveSpec& x) { return x.letter == drive.letter; }),
                 drives.end());
    drives.push_back(drive);
    std::sort(drives.begin(), drives.end(), [](const DriveSpec& a, const DriveSpec& b) { return a.letter < b.letter; });
    fs::create_directories(driveFolder(dir_, drive.letter));
    saveConfig();
}

void MachineImpl::addFolder(const std::string& windowsPath) {
    const auto p = parseAbsolutePath(windowsPath);
    if (!p) throw MachineError(windowsPath, 0, "not an absolute Windows path");
    makeHostFolders(dir_, *p);
}

void MachineImpl::addFile(const std::string& windowsPath, const std::vector<std::uint8_t>& bytes) {
    const auto p = parseAbsolutePath(windowsPath);
    if (!p || p->isRoot()) throw MachineError(windowsPath, 0, "not an absolute Windows file path");
    const fs::path folderHost = makeHostFolders(dir_, p->parent());
    fs::path host = folderHost / p->parts.back();
    if (auto existing = findHost(*p)) host = *existing;
    std::ofstream(host, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void MachineImpl::setDword(RegKey root, const std::string& key, const std::string& name, std::uint32_t v) {
    registry_.setValue(Registry::fullPath(root, key), name, kRegDword,
                       {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                        static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)});
    saveRegistry();
}

void MachineImpl::setString(RegKey root, const std::string& key, const std::string& name, const std::string& v) {
    registry_.setValue(Registry::fullPath(root, key), name, kRegSz, stringData(v));
    saveRegistry();
}

void MachineImpl::deleteValue(RegKey root, const std::string& key, const std::string& name) {
    if (registry_.deleteValue(Registry::fullPath(root, key), name)) saveRegistry();
}

std::optional<SimMachine::RegValue> MachineImpl::value(RegKey root, const std::string& key,
                                                       const std::string& name) const {
    const auto* v = registry_.value(Registry::fullPath(root, key), name);
    if (v == nullptr) return std::nullopt;
    return RegValue{v->type, v->data};
}

namespace {
void toggle(std::vector<std::string>& list, const std::string& path, bool on) {
    const auto p = parseAbsolutePath(path);
    if (!p) throw MachineError(path, 0, "not an absolute Windows path");
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const std::string& x) {
                                  const auto w = parseAbsolutePath(x);
                                  return w && w->key() == p->key();
                              }),
               list.end());
    if (on) list.push_back(p->str());
}
}  // namespace

void MachineImpl::setLocked(const std::string& windowsPath, bool locked) {
    toggle(config_.locked, windowsPath, locked);
    saveConfig();
}

void MachineImpl::setRunning(const std::string& windowsPath, bool running) {
    toggle(config_.running, windowsPath, running);
    saveConfig();
}

void MachineImpl::setReadOnly(const std::string& windowsPath, bool readOnly) {
    toggle(config_.readOnly, windowsPath, readOnly);
    saveConfig();
}

void MachineImpl::setDiskFull(char letter, bool full) {
    const char up = upperAscii(letter);
    auto& f = config_.fullDrives;
    f.erase(std::remove(f.begin(), f.end(), up), f.end());
    if (full) {
        f += up;
        std::sort(f.begin(), f.end());
    }
    saveConfig();
}

void MachineImpl::setWindowsVersion(int major, int minor) {
    config_.major = major;
    config_.minor = minor;
    saveConfig();
}

void MachineImpl::setAnotherCopyRunning(bool running) {
    config_.anotherCopyRunning = running;
    saveConfig();
}

void MachineImpl::setShellFolder(std::int32_t csidl, const std::string& windowsPath) {
    switch (csidl) {
        case kCsidlDesktop: config_.desktop = windowsPath; break;
        case kCsidlPrograms: config_.programs = windowsPath; break;
        case kCsidlPersonal: config_.documents = windowsPath; break;
        case kCsidlCommonPrograms: config_.commonPrograms = windowsPath; break;
        default: throw std::invalid_argument("no such shell folder setting: " + std::to_string(csidl));
    }
    saveConfig();
}

}  // namespace ortavia::sim
