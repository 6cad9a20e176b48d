// The product's own (empty) keys under the machine and the current user.
#include "core/registry.h"
#include "driver/run_settings.h"
#include "install/associations.h"
#include "install/install_state.h"
#include "install/later_actions.h"

namespace {

bool createSoftwareKey(const String& name, bool currentUser) {
    Registry registry;
    if (registry.openSoftware(name.text(), currentUser, 0) == RegOpenFailed) return false;
    registry.close();
    return true;
}

}  // namespace

void CreateProductKeys() {
    const String& name = PayloadSettings.productRegistry;
    if (name.isEmpty()) return;
    bool machine = createSoftwareKey(name, false);
    bool user = createSoftwareKey(name, true);
    if (!machine || !user) ProblemReport += productKeysFailureText(name);
}
