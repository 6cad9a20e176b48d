// The shared-file reference counts under the system's SharedDLLs key.
#include "core/registry.h"
#include "install/install_state.h"
#include "install/shared_files.h"

void takeBackSharedFileCounts(Registry& registry, const String& previousText) {
    String rest = previousText;
    String name;
    while (takeSharedFilesEntry(rest, name)) {
        int32_t count = registry.readInt(name.text(), 0, 0);
        if (count > 1) {
            registry.setInt(name.text(), count - 1, 0);
        } else {
            registry.deleteValue(name.text());
        }
    }
}

String countSharedFileList(Registry& registry, const Array<String>& list) {
    String text;
    for (const String& entry : list) {
        String name = sharedFileValueName(entry);
        registry.setInt(name.text(), registry.readInt(name.text(), 0, 0) + 1, 0);
        appendSharedFilesEntry(text, entry);
    }
    return text;
}

void CountSharedFiles(bool reinstall) {
    Registry registry;
    if (registry.openSoftware(SharedDllsKey, false, 0) == RegOpenFailed) {
        ProblemReport.append(SharedDllsFailureText);
        SharedFilesText = PreviousRecord.sharedFiles;
        return;
    }
    if (reinstall) takeBackSharedFileCounts(registry, PreviousRecord.sharedFiles);
    SharedFilesText = countSharedFileList(registry, SharedFileList);
    registry.close();
}
