// Placeholder until system integration lands: does nothing visible.
#include "setup/setup1.h"
namespace ortavia {
void Setup1::InstallSharedComponent(const std::string&) {}
void Setup1::CreateProgManGroup(Setup1&, const std::string&, const std::string&) {}
void Setup1::CreateProgManItem(Setup1&, const std::string&, const std::string&) {}
void Setup1::CreateShortcuts() {}
}  // namespace ortavia
