#include "platform/sim/winpath.h"

namespace ortavia::sim {

char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string upperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = upperAscii(c);
    return out;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (upperAscii(a[i]) != upperAscii(b[i])) return false;
    }
    return true;
}

std::string WinPath::str() const {
    std::string out{drive, ':'};
    if (parts.empty()) return out + "\\";
    for (const auto& p : parts) {
        out += '\\';
        out += p;
    }
    return out;
}

std::string WinPath::key() const { return upperAscii(str()); }

WinPath WinPath::parent() const {
    WinPath p = *this;
    if (!p.parts.empty()) p.parts.pop_back();
    return p;
}

WinPath WinPath::child(const std::string& name) const {
    WinPath p = *this;
    p.parts.push_back(name);
    return p;
}

bool WinPath::within(const WinPath& other) const {
    if (upperAscii(drive) != upperAscii(other.drive) || parts.size() < other.parts.size()) return false;
    for (std::size_t i = 0; i < other.parts.size(); ++i) {
        if (!equalsNoCase(parts[i], other.parts[i])) return false;
    }
    return true;
}

const std::string& CurrentFolders::of(char letter) const {
    static const std::string none;
    const char up = upperAscii(letter);
    if (up < 'A' || up > 'Z') return none;
    return folders[static_cast<std::size_t>(up - 'A')];
}

bool validName(std::string_view name) {
    if (name.empty()) return false;
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 32) return false;
        switch (c) {
            case '<': case '>': case ':': case '"': case '|': case '?': case '*': case '/': case '\\':
                return false;
            default:
                break;
        }
    }
    return true;
}

namespace {

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Appends the names of `rest` to `base`, applying ".", ".." and the trailing
// dot and blank rule.  False for an invalid name.
bool appendNames(WinPath& base, std::string_view rest) {
    std::size_t i = 0;
    while (i < rest.size()) {
        while (i < rest.size() && isSeparator(rest[i])) ++i;
        std::size_t j = i;
        while (j < rest.size() && !isSeparator(rest[j])) ++j;
        if (j == i) break;
        std::string name(rest.substr(i, j - i));
        i = j;
        if (name == ".") continue;
        if (name == "..") {
            if (!base.parts.empty()) base.parts.pop_back();
            continue;
        }
        while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
        if (!validName(name)) return false;
        base.parts.push_back(std::move(name));
    }
    return true;
}

}  // namespace

std::optional<WinPath> parseAbsolutePath(std::string_view path) {
    if (path.size() < 3 || !isLetter(path[0]) || path[1] != ':' || !isSeparator(path[2])) return std::nullopt;
    WinPath p;
    p.drive = upperAscii(path[0]);
    if (!appendNames(p, path.substr(2))) return std::nullopt;
    return p;
}

std::optional<WinPath> resolvePath(std::string_view path, const CurrentFolders& current) {
    if (path.empty()) return std::nullopt;
    WinPath base;
    std::string_view rest;
    if (path.size() >= 2 && isLetter(path[0]) && path[1] == ':') {
        base.drive = upperAscii(path[0]);
        rest = path.substr(2);
    } else {
        if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) return std::nullopt;  // UNC
        base.drive = upperAscii(current.drive);
        rest = path;
    }
    if (rest.empty() || !isSeparator(rest[0])) {
        // Relative: start from that drive's own current folder.
        const std::string& folder = current.of(base.drive);
        if (!folder.empty()) {
            auto start = parseAbsolutePath(folder);
            if (!start || start->drive != base.drive) return std::nullopt;
            base = *start;
        }
    }
    if (!appendNames(base, rest)) return std::nullopt;
    return base;
}

std::vector<std::string> splitKeyPath(std::string_view path) {
    std::vector<std::string> names;
    std::size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && path[i] == '\\') ++i;
        std::size_t j = i;
        while (j < path.size() && path[j] != '\\') ++j;
        if (j > i) names.emplace_back(path.substr(i, j - i));
        i = j;
    }
    return names;
}

CommandLine splitCommandLine(std::string_view commandLine) {
    CommandLine out;
    std::size_t i = commandLine.find_first_not_of(" \t");
    if (i == std::string_view::npos) return out;
    std::size_t end = 0;
    if (commandLine[i] == '"') {
        out.quoted = true;
        const std::size_t close = commandLine.find('"', i + 1);
        out.program = std::string(commandLine.substr(i + 1, close == std::string_view::npos ? std::string_view::npos
                                                                                             : close - i - 1));
        end = close == std::string_view::npos ? commandLine.size() : close + 1;
    } else {
        end = commandLine.find_first_of(" \t", i);
        if (end == std::string_view::npos) end = commandLine.size();
        out.program = std::string(commandLine.substr(i, end - i));
    }
    const std::size_t args = commandLine.find_first_not_of(" \t", end);
    if (args != std::string_view::npos) out.arguments = std::string(commandLine.substr(args));
    return out;
}

}  // namespace ortavia::sim
