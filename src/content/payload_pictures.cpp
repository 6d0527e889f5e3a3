// Placeholder until the payload pictures are built in.
#include "content/content.h"
namespace ortavia {
std::array<std::shared_ptr<const PixelSource>, 4> embeddedPayloadPictures() { return {}; }
}  // namespace ortavia
