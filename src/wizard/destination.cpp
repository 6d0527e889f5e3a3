// Placeholder until the destination page lands: does nothing visible.
#include "setup/setup1.h"
namespace ortavia {
void Setup1::DetectPreviousInstallations() {}
void Setup1::ShowDestinationPage() {}
void Setup1::Combo1_Click() {}
void Setup1::Text2_Change() {}
void Setup1::Text2_LostFocus() {}
}  // namespace ortavia
