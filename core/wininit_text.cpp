#include "core/wininit_text.h"

static const char renameHeader[] = "[rename]";

bool addRenameEntry(String& iniText, const String& destination, const String& source) {
    if (destination.isBlank() || source.isBlank()) return false;
    int32_t header = iniText.find(renameHeader, 0, String::IgnoreCase);
    if (header >= 0) {
        String entry = formatText("\r\n%s=%s", destination, source);
        iniText.insert(header + int32_t(sizeof(renameHeader) - 1), entry.text(), entry.length());
        return true;
    }
    if (!iniText.endsWithChar('\r') && !iniText.endsWithChar('\n')) iniText.append("\r\n");
    iniText.appendFormat("%s\r\n%s=%s", renameHeader, destination, source);
    return true;
}
