// The eleven agreement paragraphs built into the program from
// content/agreement_it.txt (cmake/agreement.cmake embeds its bytes).
//
// Format of the resource: UTF-8, one paragraph a line, every paragraph line
// closed by "|" so that its trailing blanks are visibly part of it; LF or
// CR LF line ends; an optional UTF-8 byte order mark (Windows editors add
// one); empty lines are ignored.  The resource is checked while compiling.
#include <array>
#include <cstddef>
#include <string>

#include "content/content.h"

namespace ortavia {

namespace {

constexpr unsigned char kAgreementBytes[] = {
#include "agreement_bytes.inc"
};

constexpr std::size_t kParagraphCount = 11;
constexpr unsigned char kEndMarker = '|';

struct Slice {
    std::size_t begin = 0;
    std::size_t length = 0;
};

struct Parsed {
    std::array<Slice, kParagraphCount> paragraphs{};
    std::size_t count = 0;
    bool ok = true;
};

// Every lead byte followed by the right number of continuation bytes: a text
// saved in the ANSI code page by mistake would show up as mojibake.
constexpr bool isUtf8(const unsigned char* bytes, std::size_t size) {
    std::size_t i = 0;
    while (i < size) {
        const unsigned char lead = bytes[i];
        std::size_t extra = 0;
        if (lead < 0x80) extra = 0;
        else if ((lead & 0xE0) == 0xC0) extra = 1;
        else if ((lead & 0xF0) == 0xE0) extra = 2;
        else if ((lead & 0xF8) == 0xF0) extra = 3;
        else return false;
        if (i + extra >= size) return false;  // cut short at the end
        for (std::size_t k = 1; k <= extra; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80) return false;
        }
        i += extra + 1;
    }
    return true;
}

constexpr Parsed parse(const unsigned char* bytes, std::size_t size) {
    Parsed p;
    std::size_t pos = 0;
    if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) pos = 3;
    if (!isUtf8(bytes + pos, size - pos)) {
        p.ok = false;
        return p;
    }
    while (pos < size) {
        std::size_t end = pos;
        while (end < size && bytes[end] != '\n') ++end;
        std::size_t lineEnd = end;
        if (lineEnd > pos && bytes[lineEnd - 1] == '\r') --lineEnd;
        if (lineEnd > pos) {
            if (bytes[lineEnd - 1] != kEndMarker || p.count == kParagraphCount) {
                p.ok = false;
                return p;
            }
            p.paragraphs[p.count++] = Slice{pos, lineEnd - 1 - pos};
        }
        pos = end + 1;
    }
    if (p.count != kParagraphCount) p.ok = false;
    return p;
}

constexpr Parsed kParsed = parse(kAgreementBytes, sizeof kAgreementBytes);
static_assert(kParsed.ok,
              "content/agreement_it.txt: expected eleven UTF-8 paragraph lines, each closed by the '|' end marker");

}  // namespace

std::array<std::string, 11> embeddedAgreement() {
    std::array<std::string, 11> paragraphs;
    for (std::size_t i = 0; i < kParagraphCount; ++i) {
        const Slice s = kParsed.paragraphs[i];
        paragraphs[i].assign(reinterpret_cast<const char*>(kAgreementBytes) + s.begin, s.length);
    }
    return paragraphs;
}

}  // namespace ortavia
