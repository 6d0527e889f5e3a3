// Shared components: copied into the component folder when missing there,
// then registered silently from wherever they ended up.
#include "integration/url_helper.h"
#include "setup/setup1.h"

namespace ortavia {

void Setup1::InstallSharedComponent(const std::string& name) {
    try {
        if (!url_helper::FileExists(os_, SysDir + name)) {
            try {
                os_.copyFile(InstallDir + "\\" + name, SysDir + name);
            } catch (const SetupError&) {
                // The component folder is not writable for this user: register
                // the copy that lies in the install folder instead.
                url_helper::RegisterComponent(os_, name, InstallDir + "\\");
                return;
            }
            rt_.doEvents();
        }
        // A component already in place is not replaced, only registered again.
        url_helper::RegisterComponent(os_, name, SysDir);
        rt_.doEvents();
    } catch (const SetupError&) {
        // Nothing here is worth stopping the installation for.
    }
}

}  // namespace ortavia
