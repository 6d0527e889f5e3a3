#include "platform/sim/machine_config.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <sstream>

#include "platform/sim/winpath.h"

namespace ortavia::sim {

namespace {

struct TypeName {
    DriveType type;
    const char* word;
    std::uint32_t code;
};
constexpr TypeName kTypes[] = {
    {DriveType::Fixed, "fixed", 3},   {DriveType::Removable, "removable", 2}, {DriveType::Cdrom, "cdrom", 5},
    {DriveType::Remote, "remote", 4}, {DriveType::Ramdisk, "ramdisk", 6},     {DriveType::NoRoot, "noroot", 1},
    {DriveType::Unknown, "unknown", 0},
};

std::string trim(std::string_view s) {
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string_view::npos) return {};
    const auto e = s.find_last_not_of(" \t\r");
    return std::string(s.substr(b, e - b + 1));
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
    return s;
}

std::vector<std::string> splitList(const std::string& value) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i <= value.size()) {
        std::size_t j = value.find(';', i);
        if (j == std::string::npos) j = value.size();
        std::string item = trim(std::string_view(value).substr(i, j - i));
        if (!item.empty()) out.push_back(item);
        i = j + 1;
    }
    return out;
}

std::string joinList(const std::vector<std::string>& items) {
    std::string out;
    for (const auto& item : items) {
        if (!out.empty()) out += ';';
        out += item;
    }
    return out;
}

class Parser {
public:
    Parser(std::string file, int line) : file_(std::move(file)), line_(line) {}

    [[noreturn]] void fail(const std::string& why) const { throw MachineError(file_, line_, why); }

    bool yesNo(const std::string& key, const std::string& value) const {
        const std::string v = lower(value);
        if (v == "yes") return true;
        if (v == "no") return false;
        fail(key + " must be yes or no, not \"" + value + "\"");
    }

    int byte(const std::string& key, const std::string& value) const {
        int n = -1;
        const auto* end = value.data() + value.size();
        const auto r = std::from_chars(value.data(), end, n);
        if (value.empty() || r.ec != std::errc{} || r.ptr != end || n < 0 || n > 255) {
            fail(key + " must be a number from 0 to 255, not \"" + value + "\"");
        }
        return n;
    }

    // An absolute Windows path, or empty when `allowEmpty`.
    std::string path(const std::string& key, const std::string& value, bool allowEmpty) const {
        if (value.empty() && allowEmpty) return value;
        if (!parseAbsolutePath(value)) fail(key + " must be an absolute path such as C:\\Folder, not \"" + value + "\"");
        return value;
    }

private:
    std::string file_;
    int line_;
};

}  // namespace

bool MachineConfig::versionBelow(int maj, int min) const { return major < maj || (major == maj && minor < min); }

std::uint32_t driveTypeCode(DriveType type) {
    for (const auto& t : kTypes) {
        if (t.type == type) return t.code;
    }
    return 0;
}

const char* driveTypeWord(DriveType type) {
    for (const auto& t : kTypes) {
        if (t.type == type) return t.word;
    }
    return "unknown";
}

MachineConfig parseMachineIni(const std::string& text, const std::string& fileName) {
    MachineConfig config;
    bool drivesSeen = false;
    std::string section;
    std::istringstream in(text);
    std::string raw;
    int lineNo = 0;
    while (std::getline(in, raw)) {
        ++lineNo;
        const Parser p(fileName, lineNo);
        const std::string line = trim(raw);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[') {
            if (line.back() != ']') p.fail("a section header must end with ]");
            section = lower(trim(std::string_view(line).substr(1, line.size() - 2)));
            static const char* kSections[] = {"windows", "drives", "shell", "user", "setup", "services", "faults"};
            if (std::find_if(std::begin(kSections), std::end(kSections),
                             [&](const char* s) { return section == s; }) == std::end(kSections)) {
                p.fail("unknown section [" + section + "]");
            }
            if (section == "drives" && !drivesSeen) {
                drivesSeen = true;
                config.drives.clear();
            }
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string::npos) p.fail("expected KEY = VALUE");
        const std::string key = lower(trim(std::string_view(line).substr(0, eq)));
        const std::string value = trim(std::string_view(line).substr(eq + 1));
        if (section.empty()) p.fail("key " + key + " outside a section");
        const std::string where = "[" + section + "] " + key;

        if (section == "windows") {
            if (key == "major") config.major = p.byte(key, value);
            else if (key == "minor") config.minor = p.byte(key, value);
            else if (key == "windows_folder") config.windowsFolder = p.path(key, value, false);
            else if (key == "system_folder") config.systemFolder = p.path(key, value, false);
            else p.fail("unknown key " + where);
        } else if (section == "drives") {
            if (key.size() != 1 || key[0] < 'a' || key[0] > 'z') p.fail("a drive key is one letter, not \"" + key + "\"");
            std::istringstream words(lower(value));
            std::string typeWord;
            std::string extra;
            words >> typeWord;
            DriveSpec drive;
            drive.letter = upperAscii(key[0]);
            const auto* t = std::find_if(std::begin(kTypes), std::end(kTypes),
                                         [&](const TypeName& n) { return typeWord == n.word; });
            if (t == std::end(kTypes)) {
                p.fail("drive type must be fixed, removable, cdrom, remote, ramdisk, noroot or unknown, not \"" +
                       typeWord + "\"");
            }
            drive.type = t->type;
            if (words >> extra) {
                if (extra != "not-ready") p.fail("after the drive type only not-ready may follow, not \"" + extra + "\"");
                drive.ready = false;
                if (words >> extra) p.fail("unexpected \"" + extra + "\" after not-ready");
            }
            if (std::any_of(config.drives.begin(), config.drives.end(),
                            [&](const DriveSpec& d) { return d.letter == drive.letter; })) {
                p.fail(std::string("drive ") + drive.letter + " is listed twice");
            }
            config.drives.push_back(drive);
        } else if (section == "shell") {
            if (key == "desktop") config.desktop = p.path(key, value, true);
            else if (key == "programs") config.programs = p.path(key, value, true);
            else if (key == "documents") config.documents = p.path(key, value, true);
            else if (key == "common_programs") config.commonPrograms = p.path(key, value, true);
            else p.fail("unknown key " + where);
        } else if (section == "user") {
            if (key == "admin") config.admin = p.yesNo(key, value);
            else if (key == "shutdown_privilege") config.shutdownPrivilege = p.yesNo(key, value);
            else p.fail("unknown key " + where);
        } else if (section == "setup") {
            if (key == "folder") config.setupFolder = p.path(key, value, false);
            else if (key == "another_copy_running") config.anotherCopyRunning = p.yesNo(key, value);
            else p.fail("unknown key " + where);
        } else if (section == "services") {
            if (key == "progman") {
                config.progman = p.yesNo(key, value);
            } else if (key == "restart") {
                const std::string v = lower(value);
                if (v != "accept" && v != "refuse") p.fail("restart must be accept or refuse, not \"" + value + "\"");
                config.restartAccept = v == "accept";
            } else {
                p.fail("unknown key " + where);
            }
        } else if (section == "faults") {
            if (key == "locked" || key == "readonly") {
                auto items = splitList(value);
                for (const auto& item : items) p.path(key, item, false);
                (key == "locked" ? config.locked : config.readOnly) = std::move(items);
            } else if (key == "running") {
                auto items = splitList(value);
                for (const auto& item : items) p.path(key, item, false);
                config.running = std::move(items);
            } else if (key == "full") {
                config.fullDrives.clear();
                for (const auto& item : splitList(value)) {
                    std::string letter = item;
                    if (letter.size() == 2 && letter[1] == ':') letter.pop_back();
                    if (letter.size() != 1 || !std::isalpha(static_cast<unsigned char>(letter[0]))) {
                        p.fail("full lists drive letters, not \"" + item + "\"");
                    }
                    config.fullDrives += upperAscii(letter[0]);
                }
            } else {
                p.fail("unknown key " + where);
            }
        }
    }
    std::sort(config.drives.begin(), config.drives.end(),
              [](const DriveSpec& a, const DriveSpec& b) { return a.letter < b.letter; });
    return config;
}

std::string formatMachineIni(const MachineConfig& c) {
    auto yn = [](bool b) { return b ? "yes" : "no"; };
    std::ostringstream out;
    out << "[windows]\n"
        << "major = " << c.major << "\n"
        << "minor = " << c.minor << "\n"
        << "windows_folder = " << c.windowsFolder << "\n"
        << "system_folder = " << c.systemFolder << "\n\n"
        << "[drives]\n";
    for (const auto& d : c.drives) {
        out << d.letter << " = " << driveTypeWord(d.type) << (d.ready ? "" : " not-ready") << "\n";
    }
    out << "\n[shell]\n"
        << "desktop = " << c.desktop << "\n"
        << "programs = " << c.programs << "\n"
        << "documents = " << c.documents << "\n"
        << "common_programs = " << c.commonPrograms << "\n\n"
        << "[user]\n"
        << "admin = " << yn(c.admin) << "\n"
        << "shutdown_privilege = " << yn(c.shutdownPrivilege) << "\n\n"
        << "[setup]\n"
        << "folder = " << c.setupFolder << "\n"
        << "another_copy_running = " << yn(c.anotherCopyRunning) << "\n\n"
        << "[services]\n"
        << "progman = " << yn(c.progman) << "\n"
        << "restart = " << (c.restartAccept ? "accept" : "refuse") << "\n\n"
        << "[faults]\n"
        << "locked = " << joinList(c.locked) << "\n"
        << "readonly = " << joinList(c.readOnly) << "\n"
        << "running = " << joinList(c.running) << "\n"
        << "full = ";
    for (std::size_t i = 0; i < c.fullDrives.size(); ++i) out << (i ? ";" : "") << c.fullDrives[i];
    out << "\n";
    return out.str();
}

}  // namespace ortavia::sim
