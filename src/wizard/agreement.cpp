// Placeholder until the agreement page lands: does nothing visible.
#include "setup/setup1.h"
namespace ortavia {
void Setup1::ShowAgreementPage() {}
void Setup1::Check1_Click() {}
void Setup1::Timer5_Timer() {}
}  // namespace ortavia
