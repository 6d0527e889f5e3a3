// The four payload pictures, carried inside the program itself.  The build
// (cmake/payload.cmake) names the bitmap files; the assembler copies them
// into the read-only data of this object with .incbin, and the pictures are
// read where they lie, so the program needs nothing beside it at run time.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "content/content.h"
#include "payload/bmp.h"

#if defined(ORTAVIA_PICTURE4_BMP) && defined(ORTAVIA_PICTURE5_BMP) && defined(ORTAVIA_PICTURE6_BMP) && \
    defined(ORTAVIA_PICTURE7_BMP)
#define ORTAVIA_HAVE_PAYLOAD 1

// PE objects keep read-only data in .rdata, ELF ones in .rodata.  The labels
// are given to the compiler as explicit assembler names below, so the 32-bit
// mingw convention of prefixing C names with "_" does not apply to them.
#if defined(_WIN32)
#define ORTAVIA_RODATA_SECTION ".section .rdata,\"dr\"\n"
#else
#define ORTAVIA_RODATA_SECTION ".section .rodata\n"
#endif

#define ORTAVIA_EMBED(label, file)                                                   \
    __asm__(ORTAVIA_RODATA_SECTION ".balign 16\n"                                    \
            ".globl " label "_begin\n" label "_begin:\n"                             \
            ".incbin \"" file "\"\n"                                                 \
            ".globl " label "_end\n" label "_end:\n"                                 \
            ".byte 0\n"                                                              \
            ".text\n")

ORTAVIA_EMBED("ortavia_payload_picture4", ORTAVIA_PICTURE4_BMP);
ORTAVIA_EMBED("ortavia_payload_picture5", ORTAVIA_PICTURE5_BMP);
ORTAVIA_EMBED("ortavia_payload_picture6", ORTAVIA_PICTURE6_BMP);
ORTAVIA_EMBED("ortavia_payload_picture7", ORTAVIA_PICTURE7_BMP);

extern "C" {
extern const std::uint8_t ortaviaPicture4Begin[] __asm__("ortavia_payload_picture4_begin");
extern const std::uint8_t ortaviaPicture4End[] __asm__("ortavia_payload_picture4_end");
extern const std::uint8_t ortaviaPicture5Begin[] __asm__("ortavia_payload_picture5_begin");
extern const std::uint8_t ortaviaPicture5End[] __asm__("ortavia_payload_picture5_end");
extern const std::uint8_t ortaviaPicture6Begin[] __asm__("ortavia_payload_picture6_begin");
extern const std::uint8_t ortaviaPicture6End[] __asm__("ortavia_payload_picture6_end");
extern const std::uint8_t ortaviaPicture7Begin[] __asm__("ortavia_payload_picture7_begin");
extern const std::uint8_t ortaviaPicture7End[] __asm__("ortavia_payload_picture7_end");
}
#endif

namespace ortavia {

namespace {

#if defined(ORTAVIA_HAVE_PAYLOAD)
// A bitmap that does not parse is left out: the extractor then reads -1 from
// its box and the installation run reports the failed extraction.
std::shared_ptr<const PixelSource> embedded(const std::uint8_t* begin, const std::uint8_t* end) {
    std::string error;
    std::optional<payload::BmpImage> image =
        payload::BmpImage::parse(std::span<const std::uint8_t>(begin, static_cast<std::size_t>(end - begin)), error);
    if (!image) return nullptr;
    return std::make_shared<const payload::BmpImage>(*image);
}
#endif

}  // namespace

std::array<std::shared_ptr<const PixelSource>, 4> embeddedPayloadPictures() {
#if defined(ORTAVIA_HAVE_PAYLOAD)
    return {embedded(ortaviaPicture4Begin, ortaviaPicture4End), embedded(ortaviaPicture5Begin, ortaviaPicture5End),
            embedded(ortaviaPicture6Begin, ortaviaPicture6End), embedded(ortaviaPicture7Begin, ortaviaPicture7End)};
#else
    return {};
#endif
}

}  // namespace ortavia
