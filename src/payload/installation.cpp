// Placeholder until the installation run lands: does nothing visible.
#include "setup/setup1.h"
namespace ortavia {
bool Setup1::ExtractPictureToFile(std::int32_t, const std::string&, PictureBox&) { return false; }
void Setup1::RunInstallation() {}
}  // namespace ortavia
