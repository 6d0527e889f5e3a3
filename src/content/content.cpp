#include "content/content.h"

namespace ortavia {

SetupContent embeddedContent() {
    SetupContent c;
    c.agreement = embeddedAgreement();
    auto pictures = embeddedPayloadPictures();
    c.picture4 = pictures[0];
    c.picture5 = pictures[1];
    c.picture6 = pictures[2];
    c.picture7 = pictures[3];
    return c;
}

}  // namespace ortavia
