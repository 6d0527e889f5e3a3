#include "platform/sim/shell_link.h"

namespace ortavia::sim {

namespace {

constexpr std::uint32_t kFileAttributeArchive = 0x20;
constexpr std::uint32_t kLinkInfoHeaderWithUnicode = 0x24;
constexpr std::uint32_t kVolumeIdHeaderSize = 0x10;

class Bytes {
public:
    void u16(std::uint32_t v) {
        out.push_back(static_cast<std::uint8_t>(v));
        out.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    void zeros(std::size_t n) { out.insert(out.end(), n, 0); }
    void ansiz(const std::string& s) {
        out.insert(out.end(), s.begin(), s.end());
        out.push_back(0);
    }
    void utf16(const std::u16string& s) {
        for (char16_t c : s) u16(c);
    }
    void put32(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    std::uint32_t size() const { return static_cast<std::uint32_t>(out.size()); }
    std::vector<std::uint8_t> out;
};

// Decodes UTF-8 into code points; a malformed byte stands for itself.
std::vector<char32_t> codePoints(const std::string& text) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
        char32_t cp = extra == 3 ? (b & 0x07) : extra == 2 ? (b & 0x0F) : extra == 1 ? (b & 0x1F) : b;
        if (i + static_cast<std::size_t>(extra) >= text.size() + (extra == 0 ? 1 : 0) && extra > 0) extra = -1;
        bool ok = extra >= 0;
        for (int k = 1; ok && k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((c & 0xC0) != 0x80) ok = false;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (!ok) {
            out.push_back(b);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

}  // namespace

std::u16string utf8ToUtf16(const std::string& text) {
    std::u16string out;
    for (char32_t cp : codePoints(text)) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string utf8ToAnsi(const std::string& text) {
    std::string out;
    for (char32_t cp : codePoints(text)) {
        // Latin-1 is where code page 1252 agrees with Unicode for every
        // letter an Italian path holds.
        out += (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) ? static_cast<char>(cp) : '?';
    }
    return out;
}

std::vector<std::uint8_t> makeShellLink(const ShellLinkSpec& fields) {
    Bytes b;
    // Room for the whole link up front: besides saving reallocations, this
    // keeps GCC 12 at -O3 from a false -Wstringop-overread on the first growth.
    b.out.reserve(1024);
    std::uint32_t flags = kLinkHasLinkInfo | kLinkIsUnicode;
    if (!fields.workingDirectory.empty()) flags |= kLinkHasWorkingDir;
    if (!fields.arguments.empty()) flags |= kLinkHasArguments;

    // ShellLinkHeader, 76 bytes.
    b.u32(kLinkHeaderSize);
    b.out.insert(b.out.end(), std::begin(kLinkClsid), std::end(kLinkClsid));
    b.u32(flags);
    b.u32(kFileAttributeArchive);
    b.zeros(24);  // creation, access and write times: unknown
    b.u32(0);     // file size
    b.u32(0);     // icon index
    b.u32(fields.showCommand);
    b.u16(0);     // hot key
    b.zeros(10);  // reserved

    // LinkInfo with a VolumeID and the target as LocalBasePath, in ANSI and Unicode.
    const std::size_t infoStart = b.out.size();
    b.u32(0);  // LinkInfoSize, patched below
    b.u32(kLinkInfoHeaderWithUnicode);
    b.u32(kLinkInfoVolumeIdAndLocalBasePath);
    const std::size_t offsets = b.out.size();
    b.zeros(6 * 4);  // VolumeID, LocalBasePath, network, suffix, LocalBasePathUnicode, suffix Unicode
    auto here = [&] { return static_cast<std::uint32_t>(b.out.size() - infoStart); };

    b.put32(offsets, here());
    b.u32(kVolumeIdHeaderSize + 1);  // VolumeIDSize: header and an empty label
    b.u32(fields.driveType);
    b.u32(fields.volumeSerial);
    b.u32(kVolumeIdHeaderSize);  // VolumeLabelOffset
    b.ansiz("");

    b.put32(offsets + 4, here());
    b.ansiz(utf8ToAnsi(fields.target));
    b.put32(offsets + 12, here());
    b.ansiz("");  // CommonPathSuffix
    b.put32(offsets + 16, here());
    b.utf16(utf8ToUtf16(fields.target));
    b.u16(0);
    b.put32(offsets + 20, here());
    b.u16(0);
    b.put32(infoStart, here());

    // StringData, in the order the format gives: working folder, arguments.
    auto counted = [&](const std::string& s) {
        const std::u16string w = utf8ToUtf16(s);
        b.u16(static_cast<std::uint32_t>(w.size()));
        b.utf16(w);
    };
    if (flags & kLinkHasWorkingDir) counted(fields.workingDirectory);
    if (flags & kLinkHasArguments) counted(fields.arguments);

    b.u32(0);  // TerminalBlock
    return b.out;
}

}  // namespace ortavia::sim
