// Random command texts and autoexec.bat contents through the batch assembly
// and the PATH line editing: no crash, and the properties the installer
// relies on: every line of a batch file ends in CR LF, no PAUSE line
// survives the filter, and adding the PATH line twice adds it once.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "install/batch_text.h"
#include "install/directory_variables.h"

static void require(bool condition) {
    if (!condition) abort();
}

static bool onlyCrLfEndings(const String& text) {
    for (int32_t i = 0; i < text.length(); ++i) {
        char c = text.charAt(i);
        if (c == '\r' && text.charAt(i + 1) != '\n') return false;
        if (c == '\n' && (i == 0 || text.charAt(i - 1) != '\r')) return false;
    }
    return true;
}

static void checkBatch(const String& commands) {
    static String values[DirectoryVariableCount];
    String text = batchText("C:\\Dir", values, commands, true);
    require(onlyCrLfEndings(text));
    String kept = withoutPauseLines(commands);
    require(kept.isEmpty() || kept.endsWithChar('\n'));
    String filteredAgain = withoutPauseLines(kept);
    require(filteredAgain.equals(kept));
}

static void checkPathLine(const String& autoexec) {
    String line = pathLineFor("C:\\PROGRA~1\\X");
    String text = autoexec;
    text += pathLineAddition(text, line);
    require(pathLineAddition(text, line).isEmpty());
    int32_t before = text.length();
    require(removePathLine(text, line));
    require(text.length() < before);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    String input(reinterpret_cast<const char*>(data), (int32_t)size);
    checkBatch(input);
    checkPathLine(input);
    return 0;
}
