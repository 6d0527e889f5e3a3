// ortavia-sim: plays the setup on a simulated Windows machine held in a
// folder, from a script of user actions, and tells a person what the user
// would have seen and where the files went.
//
//   ortavia-sim [--machine DIR] [--script FILE]
//
// DIR that does not exist is created with the default machine; without
// --machine a fresh default machine is made in a new temporary folder.
// Without --script the built-in script of a complete installation is played.
//
// Exit status: 0 the whole script was played; 1 the play stopped (a message
// box without a scripted answer, an answer the box does not offer, an action
// left after the setup had ended); 2 a bad command line, script or machine
// file (nothing on the machine was changed).  Any status but 0 comes with one
// line on stderr saying why.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <random>
#include <vector>

#include "platform/sim/machine.h"
#include "platform/sim/registry.h"
#include "platform/sim/script.h"

namespace fs = std::filesystem;
using namespace ortavia::sim;

namespace {

constexpr const char* kUsage = "usage: ortavia-sim [--machine DIR] [--script FILE]";

int fail(int status, const std::string& reason) {
    std::cerr << "ortavia-sim: " << reason << "\n";
    return status;
}

// --- the machine's drives before and after ----------------------------------------

struct Entry {
    bool folder = false;
    std::uintmax_t size = 0;
    std::uint64_t hash = 0;
};
using Snapshot = std::map<std::string, Entry>;  // by Windows path

std::uint64_t fnv1a(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::uint64_t h = 1469598103934665603ull;
    char buf[65536];
    while (in.read(buf, sizeof buf) || in.gcount() > 0) {
        for (std::streamsize i = 0; i < in.gcount(); ++i) {
            h = (h ^ static_cast<unsigned char>(buf[i])) * 1099511628211ull;
        }
    }
    return h;
}

// The drives are the one-letter folders of the machine folder; a host path
// C/Users/x becomes C:\Users\x.
Snapshot snapshot(const fs::path& machineDir) {
    Snapshot out;
    std::error_code ec;
    for (const auto& drive : fs::directory_iterator(machineDir, ec)) {
        const std::string letter = drive.path().filename().string();
        if (!drive.is_directory() || letter.size() != 1 || !std::isalpha(static_cast<unsigned char>(letter[0]))) {
            continue;
        }
        for (auto it = fs::recursive_directory_iterator(drive.path(), ec); it != fs::recursive_directory_iterator();
             it.increment(ec)) {
            std::string rel = fs::relative(it->path(), drive.path()).generic_string();
            for (char& c : rel) {
                if (c == '/') c = '\\';
            }
            Entry e;
            e.folder = it->is_directory();
            if (!e.folder) {
                e.size = it->file_size();
                e.hash = fnv1a(it->path());
            }
            out[letter + ":\\" + rel + (e.folder ? "\\" : "")] = e;
        }
    }
    return out;
}

// registry.reg as "KEY" -> name -> data text.
using RegistryText = std::map<std::string, std::map<std::string, std::string>>;

RegistryText readRegistry(const fs::path& file) {
    RegistryText out;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    std::string key;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
            key = line.substr(1, line.size() - 2);
            out[key];
        } else if (!key.empty() && !line.empty() && (line.front() == '"' || line.front() == '@')) {
            const auto eq = line.find("\"=") != std::string::npos ? line.find("\"=") + 1 : line.find('=');
            if (eq == std::string::npos) continue;
            out[key][line.substr(0, eq)] = line.substr(eq + 1);
        }
    }
    return out;
}

std::string withThousands(std::uintmax_t n) {
    std::string digits = std::to_string(n);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(static_cast<std::size_t>(i), ",");
    return digits;
}

// --- what the user saw -------------------------------------------------------------

std::string answerName(const std::string& n) {
    static const std::map<std::string, std::string> names{{"1", "OK"},    {"2", "Cancel"}, {"3", "Abort"},
                                                          {"4", "Retry"}, {"5", "Ignore"}, {"6", "Yes"},
                                                          {"7", "No"}};
    const auto it = names.find(n);
    return it == names.end() ? n : it->second;
}

// The box's text as a person reads it: its own line breaks kept, long lines
// wrapped at blanks.
std::string wrapText(const std::string& text, const std::string& indent) {
    constexpr std::size_t kWidth = 72;
    std::string out;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::string word;
        std::string current;
        while (words >> word) {
            if (!current.empty() && current.size() + 1 + word.size() > kWidth) {
                out += indent + current + "\n";
                current.clear();
            }
            current += (current.empty() ? "" : " ") + word;
        }
        out += indent + current + "\n";
    }
    return out;
}

void printSeen(const std::vector<SeenItem>& seen) {
    std::cout << "What the user saw:\n";
    for (const SeenItem& item : seen) {
        const auto& f = item.fields;
        if (item.kind == SeenItem::Kind::Page) {
            std::cout << "  [page] " << f[0] << "\n";
            continue;
        }
        const std::string& kind = f[0];
        auto field = [&](std::size_t i) { return i < f.size() ? f[i] : std::string(); };
        if (kind == "msgbox") {
            std::cout << "  [message box] \"" << field(2) << "\" (style " << field(1) << ")\n"
                      << wrapText(field(3), "      ") << "    answered: " << answerName(field(4)) << "\n";
        } else if (kind == "show") {
            std::cout << "  [window] the setup window opens\n";
        } else if (kind == "end") {
            std::cout << "  [end] the setup program ends\n";
        } else if (kind == "beep") {
            std::cout << "  [beep]\n";
        } else if (kind == "shutdown") {
            std::cout << "  [shutdown] Windows shuts down and closes the setup\n";
        } else if (kind == "restart") {
            std::cout << "  [restart] the setup asks Windows to restart (flags " << field(1) << ", reason "
                      << field(2) << ")\n";
        } else if (kind == "reboot") {
            std::cout << "  [reboot] the computer restarts\n";
        } else if (kind == "runonce-run") {
            const std::string what = field(2) == "setup"     ? "the setup starts again"
                                     : field(2) == "missing" ? "nothing starts: the program is not there"
                                                             : "another program, not run here";
            std::cout << "  [logon] run once: " << field(1) << " -> " << what << "\n";
        } else if (kind == "start") {
            std::cout << "  [program] started: " << field(1) << "\n";
        } else if (kind == "dde") {
            std::cout << "  [Program Manager] " << field(2) << "\n";
        }
    }
}

void printFiles(const Snapshot& before, const Snapshot& after) {
    std::cout << "\nWhere the files went (created or changed on the machine):\n";
    bool any = false;
    for (const auto& [path, e] : after) {
        const auto old = before.find(path);
        std::string state;
        if (old == before.end()) {
            state = "new    ";
        } else if (!e.folder && (old->second.size != e.size || old->second.hash != e.hash)) {
            state = "changed";
        } else {
            continue;
        }
        any = true;
        std::string size = e.folder ? "folder" : withThousands(e.size) + " bytes";
        if (size.size() < 15) size.insert(0, 15 - size.size(), ' ');
        std::cout << "  " << state << "  " << size << "  " << path << "\n";
    }
    for (const auto& [path, e] : before) {
        if (after.count(path) == 0) {
            any = true;
            std::cout << "  deleted                   " << path << "\n";
        }
    }
    if (!any) std::cout << "  (nothing)\n";
}

void printRegistry(const RegistryText& before, const RegistryText& after) {
    std::cout << "\nRegistry values set, changed or removed:\n";
    bool any = false;
    for (const auto& [key, values] : after) {
        const auto oldKey = before.find(key);
        for (const auto& [name, data] : values) {
            std::string old;
            bool had = false;
            if (oldKey != before.end()) {
                const auto v = oldKey->second.find(name);
                if (v != oldKey->second.end()) {
                    had = true;
                    old = v->second;
                }
            }
            if (had && old == data) continue;
            any = true;
            std::cout << "  " << key << "\n    " << name << " = " << data;
            if (had) std::cout << "   (was " << old << ")";
            std::cout << "\n";
        }
    }
    for (const auto& [key, values] : before) {
        const auto newKey = after.find(key);
        for (const auto& [name, data] : values) {
            if (newKey != after.end() && newKey->second.count(name) != 0) continue;
            any = true;
            std::cout << "  " << key << "\n    " << name << " removed (was " << data << ")\n";
        }
    }
    if (!any) std::cout << "  (nothing)\n";
}

std::optional<fs::path> newTemporaryFolder() {
    std::random_device entropy;
    std::error_code ec;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, "ortavia-sim-%08x", entropy());
        const fs::path candidate = fs::temp_directory_path(ec) / name;
        if (!ec && fs::create_directory(candidate, ec)) return candidate;
    }
    return std::nullopt;
}

bool readFile(const fs::path& file, std::string& text) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::optional<fs::path> machineDir;
    std::optional<fs::path> scriptFile;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--machine" || arg == "--script") && i + 1 < argc) {
            (arg == "--machine" ? machineDir : scriptFile) = fs::path(argv[++i]);
        } else if (arg == "--help" || arg == "-h") {
            std::cout << kUsage << "\n";
            return kPlayed;
        } else {
            return fail(kBadInput, "unexpected argument \"" + arg + "\"; " + kUsage);
        }
    }

    // The whole script is read and parsed before the machine is touched.
    std::string scriptText = builtInScript();
    std::string scriptName = "the built-in script";
    if (scriptFile) {
        scriptName = scriptFile->string();
        if (!readFile(*scriptFile, scriptText)) return fail(kBadInput, "cannot read the script " + scriptName);
    }
    Script script;
    try {
        script = parseScript(scriptText);
    } catch (const ScriptError& e) {
        return fail(kBadInput, scriptName + " line " + std::to_string(e.line) + ": " + e.why);
    }

    bool fresh = false;
    if (!machineDir) {
        const auto folder = newTemporaryFolder();
        if (!folder) return fail(kBadInput, "cannot make a temporary folder");
        machineDir = *folder / "machine";
        fresh = true;
    } else if (!fs::exists(*machineDir)) {
        fresh = true;
    }

    std::unique_ptr<SimMachine> machine;
    try {
        machine = SimMachine::open(*machineDir);
    } catch (const MachineError& e) {
        return fail(kBadInput, std::string("bad machine file ") + e.what());
    }

    std::cout << "Ortavia-on-line setup 3.00 on a simulated Windows machine\n"
              << "Machine folder: " << fs::absolute(*machineDir).string()
              << (fresh ? "  (a new default machine)" : "") << "\n"
              << "Script: " << scriptName << "\n\n";

    const Snapshot filesBefore = snapshot(machine->folder());
    const RegistryText registryBefore = readRegistry(machine->folder() / kRegistryFileName);

    PlayResult result;
    // A bad control name is a bad script too, found before anything runs.
    result = playScript(*machine, script);
    if (result.status == kBadInput) return fail(kBadInput, scriptName + " " + result.reason);

    printSeen(result.seen);
    printFiles(filesBefore, snapshot(machine->folder()));
    printRegistry(registryBefore, readRegistry(machine->folder() / kRegistryFileName));
    std::cout << "\nJournal of every event: " << journalFile(*machine).string() << "\n";

    if (result.status != kPlayed) {
        std::cout << "Result: the play stopped.\n";
        return fail(result.status, result.reason);
    }
    std::cout << "Result: the whole script was played.\n";
    return kPlayed;
}
