// File associations under the class root, each replaced default value kept
// under the product's backup value for the uninstaller.
#include <windows.h>
#include <shlobj.h>

#include "core/registry.h"
#include "driver/run_settings.h"
#include "install/associations.h"
#include "install/directory_variables.h"
#include "install/install_state.h"
#include "install/later_actions.h"
#include "payload/format.h"
#include "ui/localised_text.h"

namespace {

// Replaces the current key's default value with `value`, first keeping
// another non-blank value under `backupName`. True when `value` was written.
bool replaceKeepingBackup(Registry& registry, const String& value, const String& backupName) {
    String current;
    registry.readString(current, "", "", 0);
    if (needsBackup(current, value)) registry.setString(backupName.text(), current, 0);
    return registry.setString("", value, 0);
}

String expanded(const String& text) {
    String copy = text;
    ExpandDirectoryVariables(copy);
    return copy;
}

// The type key's values below the open type key; true when the command was written.
bool writeTypeKey(Registry& registry, const FileAssociation& association, const String& backupName) {
    if (!association.typeName.isEmpty() && !association.description.isBlank()) {
        replaceKeepingBackup(registry, association.description, backupName);
    }
    if (!association.icon.isBlank() && registry.openSub("DefaultIcon", 0) != RegOpenFailed) {
        replaceKeepingBackup(registry, expanded(association.icon), backupName);
        registry.close();
    }
    if (registry.openSub("shell", 0) == RegOpenFailed) return false;
    if (association.flags & payload::kAssociationDefaultVerb) {
        replaceKeepingBackup(registry, association.verb, backupName);
    }
    if (registry.openSub(association.verb.text(), 0) == RegOpenFailed) return false;
    registry.setString("", association.verbCaption, 0);
    if (registry.openSub("command", 0) == RegOpenFailed) return false;
    return replaceKeepingBackup(registry, expanded(association.command), backupName);
}

// The extension key: sets or reads the type name. False when the record ends
// here (no type name given and the extension is not registered).
bool settleTypeName(const String& extension, String& typeName, const String& backupName) {
    Registry registry;
    if (!typeName.isEmpty()) {
        if (registry.open(RegistryRootClassesRoot, extension.text(), 0) != RegOpenFailed) {
            replaceKeepingBackup(registry, typeName, backupName);
        }
        return true;
    }
    if (registry.open(RegistryRootClassesRoot, extension.text(), RegOpenOnly) == RegOpenFailed) return false;
    registry.readString(typeName, "", "", 0);
    return true;
}

// One record; true when its command was written.
bool associate(const FileAssociation& association, const String& backupName) {
    String extension = dottedExtension(association.extension);
    String typeName = association.typeName;
    if (!settleTypeName(extension, typeName, backupName)) return false;

    bool success = false;
    Registry registry;
    // An empty type name would name the class root itself.
    if (!typeName.isEmpty() && registry.open(RegistryRootClassesRoot, typeName.text(), 0) != RegOpenFailed) {
        success = writeTypeKey(registry, association, backupName);
    }
    registry.closeAll();
    AssociationList += associationListLine(extension, typeName, association.verb);
    if (!success) ProblemReport += associationFailureText(extension);
    return success;
}

String currentLanguageName() {
    if (CurrentLanguage < 0 || CurrentLanguage >= LanguageTable.count()) return String();
    return LanguageTable[CurrentLanguage];
}

}  // namespace

void CreateAssociations() {
    const String backupName = backupValueName(ProductName);
    const String language = currentLanguageName();
    const Vector<FileAssociation>& associations = PayloadSettings.fileAssociations;
    bool changed = false;
    for (int32_t i = 0; i < associations.count(); ++i) {
        if (!associationApplies(associations[i], language)) continue;
        if (associate(associations[i], backupName)) changed = true;
    }
    if (changed) NotifyAssociationsChanged();
}

void NotifyAssociationsChanged() { ShellChangeNotify(SHCNE_ASSOCCHANGED, 0, nullptr, nullptr); }
