#include "uninstall/self_removal.h"

#include "core/path.h"

const char SelfRemovalBatchPath[] = "c:\\delunins.bat";

String RecordUninstallSubdir;

// Counter names, one per decimal place; each holds up to nine letters.
static const char* const CountPlaces[kSelfRemovalCountPlaces] = {"TavoTry1", "TavoTry2", "TavoTry3", "TavoTry4"};

// After a failed attempt: one more letter in the lowest place; a place that
// reaches ten letters is emptied and carries into the next. Falling out of
// the last place means every attempt is used up.
static void appendAttemptCounter(String& text, int32_t countPlaces) {
    for (int32_t i = 0; i < countPlaces; i++) {
        const char* place = CountPlaces[i];
        text.appendFormat("set %s=%%%s%%x\r\n", place, place);
        text.appendFormat("if not \"%%%s%%\"==\"xxxxxxxxxx\" goto Repeat\r\n", place);
        text.appendFormat("set %s=\r\n", place);
    }
}

String selfRemovalBatchText(const String& programPath, const String& installDir, const String& uninstallSubdir,
                            int32_t countPlaces) {
    if (countPlaces < 1 || countPlaces > kSelfRemovalCountPlaces) countPlaces = kSelfRemovalCountPlaces;
    String text;
    text.appendFormat(":Repeat\r\ndel \"%s\"\r\nif not exist \"%s\" goto Removed\r\n", programPath, programPath);
    appendAttemptCounter(text, countPlaces);
    text.append(":Removed\r\n");
    for (const char* place : CountPlaces) text.appendFormat("set %s=\r\n", place);
    if (!uninstallSubdir.isEmpty()) text.appendFormat("rd \"%s\"\r\n", joinPath(installDir, uninstallSubdir));
    text.appendFormat("rd \"%s\"\r\n", installDir);
    text.appendFormat("del \"%s\"\r\n", SelfRemovalBatchPath);
    return text;
}

String interpreterProgram(const String& commandInterpreter) {
    String program = commandInterpreter;
    program.unquote();
    return program;
}

String selfRemovalCommandLine(const String& commandInterpreter) {
    return formatText("\"%s\" /c %s", interpreterProgram(commandInterpreter), SelfRemovalBatchPath);
}
