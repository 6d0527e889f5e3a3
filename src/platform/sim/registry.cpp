#include "platform/sim/registry.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "platform/sim/machine.h"
#include "platform/sim/winpath.h"

namespace ortavia::sim {

namespace {

constexpr const char* kRootNames[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                                      "HKEY_CURRENT_CONFIG"};
constexpr std::size_t kHexPerLine = 25;

std::string quoteRegString(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

bool printableString(const std::vector<std::uint8_t>& data) {
    if (data.empty() || data.back() != 0) return false;
    for (std::size_t i = 0; i + 1 < data.size(); ++i) {
        if (data[i] == 0 || data[i] == '\r' || data[i] == '\n') return false;
    }
    return true;
}

std::string hexList(const std::vector<std::uint8_t>& data, std::size_t prefixLength) {
    std::string out;
    char buf[4];
    std::size_t column = prefixLength;
    for (std::size_t i = 0; i < data.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02x", data[i]);
        out += buf;
        column += 3;
        if (i + 1 < data.size()) {
            out += ',';
            if (column >= kHexPerLine * 3) {
                out += "\\\n  ";
                column = 2;
            }
        }
    }
    return out;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The map key of a key path: one backslash between names, upper case.
std::string mapKey(std::string_view path) { return upperAscii(Registry::fullPath(path, "")); }

}  // namespace

std::string rootName(RegKey root) {
    if (root == kHkeyLocalMachine) return "HKEY_LOCAL_MACHINE";
    if (root == kHkeyCurrentUser) return "HKEY_CURRENT_USER";
    return {};
}

std::vector<std::uint8_t> stringData(const std::string& text) {
    std::vector<std::uint8_t> out(text.begin(), text.end());
    out.push_back(0);
    return out;
}

std::string formatRegistryData(std::uint32_t type, const std::vector<std::uint8_t>& data) {
    if (type == kRegDword && data.size() == 4) {
        char buf[16];
        const std::uint32_t v = static_cast<std::uint32_t>(data[0]) | (static_cast<std::uint32_t>(data[1]) << 8) |
                                (static_cast<std::uint32_t>(data[2]) << 16) |
                                (static_cast<std::uint32_t>(data[3]) << 24);
        std::snprintf(buf, sizeof buf, "dword:%08x", v);
        return buf;
    }
    if (type == kRegSz && printableString(data)) {
        return quoteRegString(std::string_view(reinterpret_cast<const char*>(data.data()), data.size() - 1));
    }
    char prefix[16];
    if (type == kRegBinary) {
        std::snprintf(prefix, sizeof prefix, "hex:");
    } else {
        std::snprintf(prefix, sizeof prefix, "hex(%x):", type);
    }
    return prefix + hexList(data, std::char_traits<char>::length(prefix));
}

std::string Registry::fullPath(std::string_view base, std::string_view subKey) {
    std::string out;
    for (const auto& name : splitKeyPath(base)) out += (out.empty() ? "" : "\\") + name;
    for (const auto& name : splitKeyPath(subKey)) out += (out.empty() ? "" : "\\") + name;
    return out;
}

std::string Registry::fullPath(RegKey root, std::string_view subKey) {
    const std::string r = rootName(root);
    if (r.empty()) return {};
    return fullPath(r, subKey);
}

bool Registry::hasKey(const std::string& path) const { return keys_.count(mapKey(path)) != 0; }

const RegistryKeyData* Registry::key(const std::string& path) const {
    const auto it = keys_.find(mapKey(path));
    return it == keys_.end() ? nullptr : &it->second;
}

std::vector<std::string> Registry::createKey(const std::string& path) {
    std::vector<std::string> created;
    std::string prefix;
    for (const auto& name : splitKeyPath(path)) {
        prefix += (prefix.empty() ? "" : "\\") + name;
        const std::string upper = upperAscii(prefix);
        if (keys_.count(upper) != 0) {
            prefix = keys_[upper].path;  // keep the case it was created with
            continue;
        }
        if (prefix.find('\\') == std::string::npos) {
            // A root is always there; it only gets an entry of its own.
            keys_[upper] = RegistryKeyData{prefix, {}};
            continue;
        }
        keys_[upper] = RegistryKeyData{prefix, {}};
        created.push_back(prefix);
    }
    return created;
}

const RegistryValue* Registry::value(const std::string& path, std::string_view name) const {
    const auto* k = key(path);
    if (k == nullptr) return nullptr;
    for (const auto& v : k->values) {
        if (equalsNoCase(v.name, name)) return &v;
    }
    return nullptr;
}

void Registry::setValue(const std::string& path, const std::string& name, std::uint32_t type,
                        std::vector<std::uint8_t> data) {
    createKey(path);
    auto& k = keys_[mapKey(path)];
    for (auto& v : k.values) {
        if (equalsNoCase(v.name, name)) {
            v.type = type;
            v.data = std::move(data);
            return;
        }
    }
    k.values.push_back(RegistryValue{name, type, std::move(data)});
}

bool Registry::deleteValue(const std::string& path, std::string_view name) {
    const auto it = keys_.find(mapKey(path));
    if (it == keys_.end()) return false;
    auto& vals = it->second.values;
    const auto v = std::find_if(vals.begin(), vals.end(), [&](const RegistryValue& x) { return equalsNoCase(x.name, name); });
    if (v == vals.end()) return false;
    vals.erase(v);
    return true;
}

std::vector<RegistryValue> Registry::values(const std::string& path) const {
    const auto* k = key(path);
    return k == nullptr ? std::vector<RegistryValue>{} : k->values;
}

std::string Registry::format() const {
    std::string out = std::string(kRegeditHeader) + "\n";
    for (const auto& [upper, k] : keys_) {
        // Roots without values of their own are implied by their sub-keys.
        if (k.path.find('\\') == std::string::npos && k.values.empty()) continue;
        out += "\n[" + k.path + "]\n";
        for (const auto& v : k.values) {
            out += (v.name.empty() ? std::string("@") : quoteRegString(v.name)) + "=" + formatRegistryData(v.type, v.data) + "\n";
        }
    }
    return out;
}

Registry Registry::parse(const std::string& text, const std::string& fileName) {
    Registry reg;
    std::istringstream in(text);
    std::string raw;
    int lineNo = 0;
    bool headerSeen = false;
    std::string current;
    auto fail = [&](int line, const std::string& why) { throw MachineError(fileName, line, why); };

    while (std::getline(in, raw)) {
        ++lineNo;
        const int startLine = lineNo;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        if (lineNo == 1 && raw.size() >= 3 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) raw.erase(0, 3);
        std::string line = raw;
        const auto first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == ';') continue;
        line.erase(0, first);
        if (!headerSeen) {
            if (line != kRegeditHeader) fail(lineNo, std::string("the first line must be \"") + kRegeditHeader + "\"");
            headerSeen = true;
            continue;
        }
        if (line[0] == '[') {
            const auto close = line.rfind(']');
            if (close == std::string::npos || line.find_first_not_of(" \t", close + 1) != std::string::npos) {
                fail(lineNo, "a key line must be [PATH]");
            }
            current = fullPath(line.substr(1, close - 1), "");
            const auto names = splitKeyPath(current);
            if (names.empty() || std::find(std::begin(kRootNames), std::end(kRootNames), upperAscii(names[0])) ==
                                     std::end(kRootNames)) {
                fail(lineNo, "unknown registry root in [" + line.substr(1, close - 1) + "]");
            }
            current = fullPath(upperAscii(names[0]), current.substr(names[0].size()));
            reg.createKey(current);
            continue;
        }
        if (current.empty()) fail(lineNo, "a value before the first [KEY] line");

        // Name.
        std::string name;
        std::size_t i = 0;
        if (line[0] == '@') {
            i = 1;
        } else if (line[0] == '"') {
            i = 1;
            bool closed = false;
            while (i < line.size()) {
                const char c = line[i++];
                if (c == '\\' && i < line.size()) {
                    name += line[i++];
                } else if (c == '"') {
                    closed = true;
                    break;
                } else {
                    name += c;
                }
            }
            if (!closed) fail(lineNo, "the value name has no closing quote");
        } else {
            fail(lineNo, "a value line must start with \"NAME\" or @");
        }
        if (i >= line.size() || line[i] != '=') fail(lineNo, "expected = after the value name");
        std::string data = line.substr(i + 1);

        if (!data.empty() && data[0] == '"') {
            std::string textValue;
            std::size_t j = 1;
            bool closed = false;
            while (j < data.size()) {
                const char c = data[j++];
                if (c == '\\') {
                    if (j >= data.size() || (data[j] != '\\' && data[j] != '"')) fail(lineNo, "only \\\\ and \\\" may follow a backslash in a string");
                    textValue += data[j++];
                } else if (c == '"') {
                    closed = true;
                    break;
                } else {
                    textValue += c;
                }
            }
            if (!closed || data.find_first_not_of(" \t", j) != std::string::npos) fail(lineNo, "a string value must be one quoted text");
            reg.setValue(current, name, kRegSz, stringData(textValue));
        } else if (data.rfind("dword:", 0) == 0) {
            const std::string digits = data.substr(6);
            std::uint32_t v = 0;
            if (digits.size() != 8) fail(lineNo, "dword: takes exactly 8 hex digits");
            for (char c : digits) {
                const int d = hexDigit(c);
                if (d < 0) fail(lineNo, "dword: takes exactly 8 hex digits");
                v = (v << 4) | static_cast<std::uint32_t>(d);
            }
            reg.setValue(current, name, kRegDword,
                         {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                          static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)});
        } else if (data.rfind("hex", 0) == 0) {
            std::uint32_t type = kRegBinary;
            std::size_t j = 3;
            if (j < data.size() && data[j] == '(') {
                const auto close = data.find(')', j);
                if (close == std::string::npos || close == j + 1) fail(lineNo, "hex(N): needs a type number");
                type = 0;
                for (std::size_t k = j + 1; k < close; ++k) {
                    const int d = hexDigit(data[k]);
                    if (d < 0) fail(lineNo, "hex(N): needs a hexadecimal type number");
                    type = (type << 4) | static_cast<std::uint32_t>(d);
                }
                j = close + 1;
            }
            if (j >= data.size() || data[j] != ':') fail(lineNo, "expected : after hex");
            std::string bytes = data.substr(j + 1);
            // A trailing backslash continues the list on the next line.
            auto stripped = [](std::string s) {
                while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
                return s;
            };
            bytes = stripped(bytes);
            while (!bytes.empty() && bytes.back() == '\\') {
                bytes.pop_back();
                std::string next;
                if (!std::getline(in, next)) fail(lineNo, "the hex list ends with \\ at the end of the file");
                ++lineNo;
                if (!next.empty() && next.back() == '\r') next.pop_back();
                bytes += stripped(next);
            }
            std::vector<std::uint8_t> out;
            std::string token;
            std::istringstream list(bytes);
            while (std::getline(list, token, ',')) {
                const auto b = token.find_first_not_of(" \t");
                const auto e = token.find_last_not_of(" \t");
                if (b == std::string::npos) fail(startLine, "an empty byte in a hex list");
                token = token.substr(b, e - b + 1);
                if (token.size() != 2 || hexDigit(token[0]) < 0 || hexDigit(token[1]) < 0) {
                    fail(startLine, "\"" + token + "\" is not a byte in hex");
                }
                out.push_back(static_cast<std::uint8_t>(hexDigit(token[0]) * 16 + hexDigit(token[1])));
            }
            reg.setValue(current, name, type, std::move(out));
        } else {
            fail(lineNo, "a value must be \"text\", dword:XXXXXXXX, hex:.. or hex(N):..");
        }
    }
    if (!headerSeen) fail(0, std::string("the file does not start with \"") + kRegeditHeader + "\"");
    return reg;
}

}  // namespace ortavia::sim
