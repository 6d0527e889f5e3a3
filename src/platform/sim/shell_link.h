// Shell Link (.lnk) files in the documented binary format: a header with the
// link class id, a LinkInfo naming the target as a local path on a volume,
// and Unicode string data for the working folder and the arguments.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ortavia::sim {

struct ShellLinkSpec {
    std::string target;            // absolute Windows path (UTF-8)
    std::string arguments;         // empty: none
    std::string workingDirectory;  // empty: none
    std::uint32_t driveType = 3;   // GetDriveType of the target's volume
    std::uint32_t volumeSerial = 0x4F525441;
    std::uint32_t showCommand = 1;  // SW_SHOWNORMAL
};

// Link flags and sizes, as the format numbers them.
inline constexpr std::uint32_t kLinkHeaderSize = 0x4C;
inline constexpr std::uint32_t kLinkHasLinkInfo = 0x2;
inline constexpr std::uint32_t kLinkHasWorkingDir = 0x10;
inline constexpr std::uint32_t kLinkHasArguments = 0x20;
inline constexpr std::uint32_t kLinkIsUnicode = 0x80;
inline constexpr std::uint32_t kLinkInfoVolumeIdAndLocalBasePath = 0x1;
inline constexpr std::uint8_t kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

std::vector<std::uint8_t> makeShellLink(const ShellLinkSpec& fields);

// UTF-8 to UTF-16LE, and to the ANSI code page 1252 ("?" for what it lacks).
std::u16string utf8ToUtf16(const std::string& text);
std::string utf8ToAnsi(const std::string& text);

}  // namespace ortavia::sim
