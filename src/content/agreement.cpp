// Placeholder until the agreement text lands.
#include "content/content.h"
namespace ortavia {
std::array<std::string, 11> embeddedAgreement() { return {}; }
}  // namespace ortavia
