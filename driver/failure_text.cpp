#include "driver/failure_text.h"

#include "driver/run_settings.h"

namespace {

// Spacing is exact: 18 blanks after /a, 8 after /d:"dir", each before a tab,
// and only the line before /r ends in CR LF.
const char kUsageFormat[] =
    "%s\n\nUsage:\n%s [/a] [/d:\"dir\"] [/n:\"name\"] [/u:\"name\"] [/r:\"program\"]\n\n"
    "/a                  \tAutomatic mode\n"
    "/d:\"dir\"        \tOverride installation directory\n"
    "/n:\"name\"\tOverride product name\n"
    "/u:\"name\"\tUninstall product by name\r\n"
    "/r:\"program\"\tRun the specified program after a successful installation";

const char kCorruptFormat[] =
    "This installation program is corrupt.  This is usually caused by a faulty download, "
    "but it can also be caused by a virus on your computer.  The installation cannot "
    "proceed.\r\n\r\nDelete the corrupted installer (to prevent caching), then re-download "
    "it.  If the problem persists, check your system for viruses.\r\n\r\nError code: %d";

}  // namespace

String usageReportText(const char* message, const char* programFileName) {
    return formatText(kUsageFormat, message, programFileName);
}

String corruptReportText(const char* localisedFormat, int code) {
    const char* pattern = (localisedFormat && *localisedFormat) ? localisedFormat : kCorruptFormat;
    return formatText(pattern, code);
}

bool errorMessageShown(const char* text, bool automaticMode, uint32_t productFlagsHigh) {
    if (automaticMode && !(productFlagsHigh & kHighShowErrorsInAutomaticMode)) return false;
    return !String(text).isBlank();
}

String failureLines(const char* firstWord, const char* name, const char* systemText) {
    return formatText("%s %s\r\n%s\r\n", firstWord, name, systemText);
}

String outOfMemoryText(uint32_t requested, const uint32_t* stackWords, int count) {
    String text = formatText(
        "Out Of Memory.  Make sure your hard drive is not full.\nRequested size = %u (0x%08X)"
        "\n\nStack contents:",
        requested, requested);
    for (int i = 0; i < count; ++i) {
        text.appendChar(i % 8 == 0 ? '\r' : ' ');
        text.appendFormat("%08X", stackWords[i]);
    }
    return text;
}
