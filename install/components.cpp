#include "install/components.h"

String comServerLogStart(const String& path) {
    String line;
    line.format("Registering COM File \"%s\"...", path);
    return line;
}

String typeLibraryLogStart(const String& path) {
    String line;
    line.format("Registering Type Library \"%s\"...", path);
    return line;
}

String typeLibraryFailureEnd(const String& systemText) {
    String end("FAILED\r\n");
    end += systemText;
    if (!systemText.endsWithChar('\r') && !systemText.endsWithChar('\n')) end += "\r\n";
    return end;
}
