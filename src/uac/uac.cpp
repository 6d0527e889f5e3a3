// Placeholder until the UAC path lands: does nothing visible.
#include "setup/setup1.h"
namespace ortavia {
bool Setup1::IsUacEnabled() { return false; }
bool Setup1::SetRegistryValue(RegKey, const std::string&, const std::string&, std::int32_t) { return false; }
void Setup1::WriteUacStateFile(const std::string&) {}
std::string Setup1::ReadUacStateFile() { return {}; }
void Setup1::OfferUacRestore() {}
void Setup1::UacSwitchOff() {}
void Setup1::RestartSequence() {}
std::int32_t Setup1::EnableShutdownPrivilege() { return -1; }
}  // namespace ortavia
