// The registry of the simulated machine and its regedit 5.00 text form
// (registry.reg).  Values are held as the ANSI functions see them: a REG_SZ
// is its characters and a terminating NUL.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/windows_services.h"

namespace ortavia::sim {

inline constexpr const char* kRegistryFileName = "registry.reg";
inline constexpr const char* kRegeditHeader = "Windows Registry Editor Version 5.00";

struct RegistryValue {
    std::string name;  // "" is the key's default value ("@" in the file)
    std::uint32_t type = kRegNone;
    std::vector<std::uint8_t> data;
};

struct RegistryKeyData {
    std::string path;  // "HKEY_LOCAL_MACHINE\SOFTWARE\...", in the case it was created with
    std::vector<RegistryValue> values;
};

// The registry's name for a predefined root; empty for anything else.
std::string rootName(RegKey root);

// A value as the file writes it: dword:0000002a, "text", hex:.. or hex(N):..
std::string formatRegistryData(std::uint32_t type, const std::vector<std::uint8_t>& data);
std::vector<std::uint8_t> stringData(const std::string& text);  // characters + NUL

class Registry {
public:
    // Throws MachineError naming `fileName` and the line.
    static Registry parse(const std::string& text, const std::string& fileName);
    std::string format() const;

    // The full path of a key below a root: a run of backslashes is one
    // separator.  Empty when the root is not a predefined one.
    static std::string fullPath(RegKey root, std::string_view subKey);
    static std::string fullPath(std::string_view base, std::string_view subKey);

    bool hasKey(const std::string& path) const;
    const RegistryKeyData* key(const std::string& path) const;
    // Creates the key and any missing parent; returns the keys it created.
    std::vector<std::string> createKey(const std::string& path);
    const RegistryValue* value(const std::string& path, std::string_view name) const;
    // Sets a value of an existing key (creates the key when missing).
    void setValue(const std::string& path, const std::string& name, std::uint32_t type,
                  std::vector<std::uint8_t> data);
    bool deleteValue(const std::string& path, std::string_view name);
    // The values of a key in their order; empty when the key is missing.
    std::vector<RegistryValue> values(const std::string& path) const;

private:
    std::map<std::string, RegistryKeyData> keys_;  // by upper-case path
};

}  // namespace ortavia::sim
