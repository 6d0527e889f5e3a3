// Win32 platform — the Windows operations table on the real API.
// What may live here: WindowsServices implemented with kernel32, advapi32,
// shell32, shlwapi and the DDEML of user32, and the translation of Win32
// error codes into the runtime's error numbers.  No setup logic lives here.
#include "platform/win32/win32_services.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <cwctype>

#include "platform/win32/win32_text.h"
#include "setup/window_model.h"

namespace ortavia::win32 {

namespace {

// The per-drive current folders live in the hidden "=X:" environment
// variables, the way cmd.exe keeps them; GetFullPathName("X:") reads them.
std::wstring driveVariable(wchar_t letter) { return std::wstring{L'=', letter, L':'}; }

wchar_t upperLetter(wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); }

std::wstring currentDirectoryW() {
    const DWORD n = GetCurrentDirectoryW(0, nullptr);
    std::wstring buf(n, L'\0');
    const DWORD written = GetCurrentDirectoryW(n, buf.data());
    buf.resize(written);
    return buf;
}

wchar_t driveOf(const std::wstring& path) {
    if (path.size() >= 2 && path[1] == L':') return upperLetter(path[0]);
    return 0;
}

// Remember the current folder of the current drive, so a later ChDrive back
// to it finds it again.
void rememberCurrentFolder() {
    const std::wstring cur = currentDirectoryW();
    const wchar_t d = driveOf(cur);
    if (d != 0) SetEnvironmentVariableW(driveVariable(d).c_str(), cur.c_str());
}

bool driveExists(wchar_t letter) {
    if (letter < L'A' || letter > L'Z') return false;
    return (GetLogicalDrives() & (1u << (letter - L'A'))) != 0;
}

[[noreturn]] void fail(std::int32_t number) { throw SetupError(number); }

[[noreturn]] void failLast(std::int32_t fallback) { fail(runtimeErrorFor(GetLastError(), fallback)); }

// A run of backslashes in a key path is one separator, as Windows' own
// registry parser treats it; collapse it here so every registry call of the
// system sees the plain path.
std::wstring keyPath(const std::string& subKey) {
    std::wstring in = widen(subKey);
    std::wstring out;
    out.reserve(in.size());
    for (wchar_t c : in) {
        if (c == L'\\' && !out.empty() && out.back() == L'\\') continue;
        out.push_back(c);
    }
    return out;
}

HKEY hkeyOf(RegKey key) {
    if (key == kHkeyCurrentUser) return HKEY_CURRENT_USER;
    if (key == kHkeyLocalMachine) return HKEY_LOCAL_MACHINE;
    return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(key));
}

RegKey regKeyOf(HKEY key) { return static_cast<RegKey>(reinterpret_cast<std::uintptr_t>(key)); }

bool isStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

HANDLE processOf(ProcessHandle p) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(p)); }

HDDEDATA CALLBACK ddeCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

}  // namespace

std::int32_t runtimeErrorFor(DWORD code, std::int32_t fallback) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
            return err::kFileNotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_DIRECTORY:
        case ERROR_FILENAME_EXCED_RANGE:
            return err::kPathNotFound;
        case ERROR_ACCESS_DENIED:
            return err::kPathFileAccess;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
            return err::kPermissionDenied;
        case ERROR_NOT_READY:
            return err::kDiskNotReady;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return err::kDiskFull;
        case ERROR_INVALID_DRIVE:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return err::kDeviceUnavailable;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return err::kFileExists;
        case ERROR_TOO_MANY_OPEN_FILES:
            return err::kTooManyFiles;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return err::kOutOfMemory;
        case ERROR_CRC:
        case ERROR_GEN_FAILURE:
        case ERROR_IO_DEVICE:
            return err::kDeviceIo;
        default:
            return fallback;
    }
}

Win32Services::Win32Services() = default;

Win32Services::~Win32Services() {
    for (auto& [id, h] : files_) CloseHandle(h);
    if (ddeInstance_ != 0) DdeUninitialize(ddeInstance_);
}

// --- Version and folders -------------------------------------------------------

std::uint32_t Win32Services::getVersion() { return static_cast<std::uint32_t>(GetVersion()); }

namespace {
template <typename Query>
std::string folderQuery(Query query, std::uint32_t bufferSize, std::uint32_t& needed) {
    std::wstring buf(bufferSize, L'\0');
    const UINT n = query(buf.data(), bufferSize);
    if (n == 0 || n >= bufferSize) {
        needed = n;
        return {};
    }
    needed = n;
    return narrow(buf.data(), n);
}
}  // namespace

std::string Win32Services::getWindowsDirectory(std::uint32_t bufferSize, std::uint32_t& needed) {
    return folderQuery([](wchar_t* b, UINT s) { return GetWindowsDirectoryW(b, s); }, bufferSize, needed);
}

std::string Win32Services::getSystemDirectory(std::uint32_t bufferSize, std::uint32_t& needed) {
    return folderQuery([](wchar_t* b, UINT s) { return GetSystemDirectoryW(b, s); }, bufferSize, needed);
}

// --- Drives ----------------------------------------------------------------------

std::vector<std::string> Win32Services::logicalDrives() {
    std::vector<std::string> out;
    const DWORD mask = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if ((mask & (1u << i)) != 0) out.push_back(std::string{static_cast<char>('A' + i), ':'});
    }
    return out;
}

std::uint32_t Win32Services::getDriveType(const std::string& root) {
    return GetDriveTypeW(widen(root).c_str());
}

// --- Current drive and folder ------------------------------------------------------

void Win32Services::changeDrive(const std::string& drive) {
    if (drive.empty()) return;
    const wchar_t letter = upperLetter(widen(drive.substr(0, 1)).front());
    if (!driveExists(letter)) fail(err::kDeviceUnavailable);
    if (driveOf(currentDirectoryW()) == letter) return;
    rememberCurrentFolder();
    const std::wstring designator{letter, L':'};
    wchar_t full[MAX_PATH * 2];
    const DWORD n = GetFullPathNameW(designator.c_str(), MAX_PATH * 2, full, nullptr);
    if (n > 0 && n < MAX_PATH * 2 && SetCurrentDirectoryW(full)) return;
    // The remembered folder of that drive is gone: its root is current then.
    const std::wstring root{letter, L':', L'\\'};
    if (SetCurrentDirectoryW(root.c_str())) return;
    fail(GetLastError() == ERROR_NOT_READY ? err::kDiskNotReady : err::kDeviceUnavailable);
}

void Win32Services::changeDirectory(const std::string& path) {
    const std::wstring target = widen(path);
    if (target.empty()) fail(err::kPathNotFound);
    const std::wstring before = currentDirectoryW();
    const wchar_t current = driveOf(before);
    const wchar_t named = driveOf(target);
    if (named != 0 && !driveExists(named)) fail(err::kDeviceUnavailable);
    if (!SetCurrentDirectoryW(target.c_str())) {
        const DWORD code = GetLastError();
        // ChDir to something that is not there, or to a file, is "path not found".
        if (code == ERROR_FILE_NOT_FOUND) fail(err::kPathNotFound);
        fail(runtimeErrorFor(code, err::kPathNotFound));
    }
    if (named == 0 || named == current) return;
    // ChDir on another drive moves that drive's folder but keeps the current
    // drive: note the new folder for that drive and step back.
    const std::wstring reached = currentDirectoryW();
    SetEnvironmentVariableW(driveVariable(named).c_str(), reached.c_str());
    SetCurrentDirectoryW(before.c_str());
}

std::string Win32Services::currentDirectory() { return narrow(currentDirectoryW()); }

// --- Files ------------------------------------------------------------------------

HANDLE Win32Services::handleOf(FileHandle file) const {
    const auto it = files_.find(file);
    if (it == files_.end()) fail(err::kBadFileNameOrNumber);
    return it->second;
}

FileHandle Win32Services::openFile(const std::string& path, FileMode mode) {
    const std::wstring p = widen(path);
    if (p.empty()) fail(err::kBadFileNameOrNumber);
    HANDLE h = INVALID_HANDLE_VALUE;
    switch (mode) {
        case FileMode::Input:
            // A folder cannot be opened as a file: without backup semantics the
            // call answers "access denied", the runtime's error 75.
            h = CreateFileW(p.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
            break;
        case FileMode::Output:
            h = CreateFileW(p.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
            break;
        case FileMode::Binary:
            h = CreateFileW(p.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
                // A read-only file still opens for binary access, for reading.
                h = CreateFileW(p.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
                if (h == INVALID_HANDLE_VALUE) SetLastError(ERROR_ACCESS_DENIED);
            }
            break;
    }
    if (h == INVALID_HANDLE_VALUE) failLast(err::kPathFileAccess);
    const FileHandle id = nextFile_++;
    files_[id] = h;
    return id;
}

void Win32Services::writeFile(FileHandle file, std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    HANDLE h = handleOf(file);
    LARGE_INTEGER pos;
    pos.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(h, pos, nullptr, FILE_BEGIN)) failLast(err::kDeviceIo);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(h, bytes.data() + done, chunk, &written, nullptr)) failLast(err::kDeviceIo);
        if (written == 0) fail(err::kDiskFull);
        done += written;
    }
}

std::vector<std::uint8_t> Win32Services::readFile(FileHandle file, std::uint64_t offset, std::size_t count) {
    HANDLE h = handleOf(file);
    LARGE_INTEGER pos;
    pos.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(h, pos, nullptr, FILE_BEGIN)) failLast(err::kDeviceIo);
    std::vector<std::uint8_t> out(count);
    std::size_t done = 0;
    while (done < count) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 20));
        DWORD read = 0;
        if (!ReadFile(h, out.data() + done, chunk, &read, nullptr)) failLast(err::kDeviceIo);
        if (read == 0) break;
        done += read;
    }
    out.resize(done);
    return out;
}

std::uint64_t Win32Services::fileLength(FileHandle file) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handleOf(file), &size)) failLast(err::kDeviceIo);
    return static_cast<std::uint64_t>(size.QuadPart);
}

void Win32Services::closeFile(FileHandle file) noexcept {
    const auto it = files_.find(file);
    if (it == files_.end()) return;
    CloseHandle(it->second);
    files_.erase(it);
}

void Win32Services::deleteFile(const std::string& path) {
    const std::wstring p = widen(path);
    const DWORD attributes = GetFileAttributesW(p.c_str());
    // Kill removes files only: a folder of that name is "not found".
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        fail(err::kFileNotFound);
    if (!DeleteFileW(p.c_str())) {
        const DWORD code = GetLastError();
        // A file in use by another program cannot be removed: the runtime
        // reports that as a path/file access error, not as a sharing one.
        if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION) fail(err::kPathFileAccess);
        fail(runtimeErrorFor(code, err::kPathFileAccess));
    }
}

void Win32Services::copyFile(const std::string& from, const std::string& to) {
    if (!CopyFileW(widen(from).c_str(), widen(to).c_str(), FALSE)) failLast(err::kPathFileAccess);
}

void Win32Services::makeDirectory(const std::string& path) {
    if (!CreateDirectoryW(widen(path).c_str(), nullptr)) {
        const DWORD code = GetLastError();
        // MkDir of a name already taken is a path/file access error.
        if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS) fail(err::kPathFileAccess);
        fail(runtimeErrorFor(code, err::kPathFileAccess));
    }
}

// --- Shell folders ---------------------------------------------------------------------

std::int32_t Win32Services::shGetSpecialFolderLocation(std::int32_t csidl, ItemIdList& list) {
    LPITEMIDLIST pidl = nullptr;
    const HRESULT hr = SHGetSpecialFolderLocation(nullptr, csidl, &pidl);
    list = static_cast<ItemIdList>(reinterpret_cast<std::uintptr_t>(pidl));
    return static_cast<std::int32_t>(hr);
}

std::int32_t Win32Services::shGetPathFromIdList(ItemIdList list, std::uint32_t bufferSize, std::string& path) {
    wchar_t buf[MAX_PATH + 1] = {};
    const auto* pidl = reinterpret_cast<LPCITEMIDLIST>(static_cast<std::uintptr_t>(list));
    if (pidl == nullptr || !SHGetPathFromIDListW(pidl, buf)) return 0;
    const std::string utf8 = narrow(std::wstring(buf));
    if (bufferSize > 0 && text::charCount(utf8) >= bufferSize) return 0;
    path = utf8;
    return 1;
}

void Win32Services::globalFree(ItemIdList list) {
    // The shell allocates identifier lists with the task allocator; freeing
    // one with GlobalFree would hand a foreign block to the global heap.
    if (list != 0) CoTaskMemFree(reinterpret_cast<void*>(static_cast<std::uintptr_t>(list)));
}

// --- Registry --------------------------------------------------------------------------

std::int32_t Win32Services::shGetValue(RegKey root, const std::string& subKey, const std::string& valueName,
                                       std::uint32_t& type, std::span<std::uint8_t> data, std::uint32_t& size) {
    const std::wstring key = keyPath(subKey);
    const std::wstring name = widen(valueName);
    DWORD t = 0;
    DWORD bytes = 0;
    LSTATUS rc = SHGetValueW(hkeyOf(root), key.c_str(), name.c_str(), &t, nullptr, &bytes);
    if (rc != ERROR_SUCCESS) return rc;
    std::vector<std::uint8_t> raw(bytes + sizeof(wchar_t));
    rc = SHGetValueW(hkeyOf(root), key.c_str(), name.c_str(), &t, raw.data(), &bytes);
    if (rc != ERROR_SUCCESS) return rc;
    raw.resize(bytes);
    if (isStringType(t)) {
        // The wide call gives UTF-16; hand the core its text and a NUL.
        std::wstring w(raw.size() / sizeof(wchar_t), L'\0');
        std::copy(raw.begin(), raw.begin() + static_cast<std::ptrdiff_t>(w.size() * sizeof(wchar_t)),
                  reinterpret_cast<std::uint8_t*>(w.data()));
        w = w.substr(0, w.find(L'\0'));
        const std::string s = narrow(w);
        raw.assign(s.begin(), s.end());
        raw.push_back(0);
    }
    type = t;
    if (raw.size() > data.size()) {
        size = static_cast<std::uint32_t>(raw.size());
        return ERROR_MORE_DATA;
    }
    std::copy(raw.begin(), raw.end(), data.begin());
    size = static_cast<std::uint32_t>(raw.size());
    return ERROR_SUCCESS;
}

std::int32_t Win32Services::regOpenKeyEx(RegKey root, const std::string& subKey, std::uint32_t options,
                                         std::uint32_t access, RegKey& key) {
    HKEY h = nullptr;
    const LSTATUS rc = RegOpenKeyExW(hkeyOf(root), keyPath(subKey).c_str(), options, access, &h);
    if (rc == ERROR_SUCCESS) key = regKeyOf(h);
    return rc;
}

std::int32_t Win32Services::regCreateKeyEx(RegKey root, const std::string& subKey, std::uint32_t options,
                                           std::uint32_t access, RegKey& key) {
    HKEY h = nullptr;
    const LSTATUS rc =
        RegCreateKeyExW(hkeyOf(root), keyPath(subKey).c_str(), 0, nullptr, options, access, nullptr, &h, nullptr);
    if (rc == ERROR_SUCCESS) key = regKeyOf(h);
    return rc;
}

std::int32_t Win32Services::regSetValueEx(RegKey key, const std::string& valueName, std::uint32_t type,
                                          std::span<const std::uint8_t> data) {
    const std::wstring name = widen(valueName);
    if (isStringType(type)) {
        std::string s(data.begin(), data.end());
        s = s.substr(0, s.find('\0'));
        const std::wstring w = widen(s);
        return RegSetValueExW(hkeyOf(key), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(w.c_str()),
                              static_cast<DWORD>((w.size() + 1) * sizeof(wchar_t)));
    }
    return RegSetValueExW(hkeyOf(key), name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
}

std::int32_t Win32Services::regCloseKey(RegKey key) { return RegCloseKey(hkeyOf(key)); }

// --- Processes ---------------------------------------------------------------------------

void Win32Services::startProgram(const std::string& commandLine, int windowStyle) {
    std::wstring cmd = widen(commandLine);
    if (cmd.empty()) fail(err::kFileNotFound);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        fail(err::kFileNotFound);
    // Nobody waits for the program.
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

// --- Token, privilege, restart ----------------------------------------------------------------
// The caller judges these by the thread's last error, so nothing here may
// call anything after the system call that could touch it.

void Win32Services::setLastError(std::uint32_t code) { SetLastError(code); }

std::uint32_t Win32Services::getLastError() { return GetLastError(); }

ProcessHandle Win32Services::getCurrentProcess() {
    return static_cast<ProcessHandle>(reinterpret_cast<std::intptr_t>(GetCurrentProcess()));
}

std::int32_t Win32Services::openProcessToken(ProcessHandle process, std::uint32_t access, TokenHandle& token) {
    HANDLE h = nullptr;
    const BOOL ok = OpenProcessToken(processOf(process), access, &h);
    token = static_cast<TokenHandle>(reinterpret_cast<std::uintptr_t>(h));
    return ok;
}

std::int32_t Win32Services::lookupPrivilegeValue(const std::string& systemName, const std::string& name,
                                                 std::uint64_t& luid) {
    const std::wstring sys = widen(systemName);
    const std::wstring priv = widen(name);
    LUID l{};
    const BOOL ok = LookupPrivilegeValueW(sys.empty() ? nullptr : sys.c_str(), priv.c_str(), &l);
    luid = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(l.HighPart)) << 32) | l.LowPart;
    return ok;
}

std::int32_t Win32Services::adjustTokenPrivileges(TokenHandle token, bool disableAll, const TokenPrivileges& newState,
                                                  std::uint32_t bufferLength, TokenPrivileges& previousState,
                                                  std::uint32_t& returnLength) {
    TOKEN_PRIVILEGES tp{};
    tp.PrivilegeCount = newState.privilegeCount;
    tp.Privileges[0].Luid.LowPart = static_cast<DWORD>(newState.luid & 0xFFFFFFFFu);
    tp.Privileges[0].Luid.HighPart = static_cast<LONG>(newState.luid >> 32);
    tp.Privileges[0].Attributes = newState.attributes;
    TOKEN_PRIVILEGES prev{};
    DWORD ret = 0;
    const DWORD length = std::min<DWORD>(bufferLength, sizeof(prev));
    const BOOL ok = AdjustTokenPrivileges(reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(token)),
                                          disableAll ? TRUE : FALSE, &tp, length, &prev, &ret);
    previousState.privilegeCount = prev.PrivilegeCount;
    previousState.luid = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(prev.Privileges[0].Luid.HighPart))
                          << 32) |
                         prev.Privileges[0].Luid.LowPart;
    previousState.attributes = prev.Privileges[0].Attributes;
    returnLength = ret;
    return ok;
}

std::int32_t Win32Services::exitWindowsEx(std::uint32_t flags, std::uint32_t reason) {
    return ExitWindowsEx(flags, reason);
}

// --- Program Manager DDE ---------------------------------------------------------------------

bool Win32Services::ensureDde() {
    if (ddeInstance_ != 0) return true;
    DWORD inst = 0;
    if (DdeInitializeW(&inst, ddeCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return false;
    ddeInstance_ = inst;
    return true;
}

DdeConversation Win32Services::ddeConnect(const std::string& service, const std::string& topic) {
    if (!ensureDde()) return 0;
    HSZ s = DdeCreateStringHandleW(ddeInstance_, widen(service).c_str(), CP_WINUNICODE);
    HSZ t = DdeCreateStringHandleW(ddeInstance_, widen(topic).c_str(), CP_WINUNICODE);
    HCONV conv = DdeConnect(ddeInstance_, s, t, nullptr);
    if (s != nullptr) DdeFreeStringHandle(ddeInstance_, s);
    if (t != nullptr) DdeFreeStringHandle(ddeInstance_, t);
    return static_cast<DdeConversation>(reinterpret_cast<std::uintptr_t>(conv));
}

bool Win32Services::ddeExecute(DdeConversation conversation, const std::string& command, std::uint32_t timeoutMs) {
    lastDdeTimeout_ = false;
    if (conversation == 0 || ddeInstance_ == 0) return false;
    std::wstring w = widen(command);
    DWORD result = 0;
    HDDEDATA data = DdeClientTransaction(reinterpret_cast<LPBYTE>(w.data()),
                                         static_cast<DWORD>((w.size() + 1) * sizeof(wchar_t)),
                                         reinterpret_cast<HCONV>(static_cast<std::uintptr_t>(conversation)), nullptr,
                                         0, XTYP_EXECUTE, timeoutMs, &result);
    if (data == nullptr) {
        lastDdeTimeout_ = DdeGetLastError(ddeInstance_) == DMLERR_EXECACKTIMEOUT;
        return false;
    }
    return true;
}

void Win32Services::ddeDisconnect(DdeConversation conversation) {
    if (conversation != 0) DdeDisconnect(reinterpret_cast<HCONV>(static_cast<std::uintptr_t>(conversation)));
}

}  // namespace ortavia::win32
