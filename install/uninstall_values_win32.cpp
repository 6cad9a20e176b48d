// The product's uninstall values into an open key. Kept apart from the rest
// of the record so that it needs nothing of the run.
#include "core/registry.h"
#include "install/uninstall_record.h"

void writeUninstallValues(Registry& registry, const Array<UninstallRegistryValue>& values) {
    for (const UninstallRegistryValue& value : values) {
        const char* name = value.name.text();
        if (value.deletes()) {
            registry.deleteValue(name);
        } else if (value.kind == UninstallNumber) {
            registry.setInt(name, value.number, 0);
        } else if (value.kind == UninstallExpandText) {
            registry.setExpandText(name, value.text.text(), 0);
        } else {
            registry.setString(name, value.text, 0);
        }
    }
}
