#include "install/shared_files.h"

#include "install/install_state.h"

const char SharedDllsKey[] = "Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const char SharedDllsFailureText[] = "Registry error: unable to increment shared file reference counts.\r\n\r\n";

String sharedFileValueName(const String& entry) {
    String name = entry;
    name.removeTrailing(kSharedComServer);
    name.removeTrailing(kSharedNeverDelete);
    name.removeTrailing(kSharedTypeLibrary);
    return name;
}

void appendSharedFilesEntry(String& text, const String& entry) {
    if (!text.isEmpty()) text.appendChar(';');
    text.appendChar('"');
    text.append(entry);
    text.appendChar('"');
}

bool takeSharedFilesEntry(String& rest, String& valueName) {
    int32_t open = rest.findChar('"');
    if (open < 0) return false;
    int32_t close = rest.findChar('"', open + 1);
    if (close < 0) return false;
    String name = sharedFileValueName(rest.substring(open + 1, close - open - 1));
    if (name.isEmpty()) return false;
    rest.erase(0, close + 1);
    rest.removeLeading(';');
    valueName = moveValue(name);
    return true;
}
