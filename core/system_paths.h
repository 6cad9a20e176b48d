// The process-wide system directories and the installer's own location, and
// the system's message texts.
//
// initSystemPaths (Windows only) asks the system once and hands the answers
// to fillSystemPaths, which holds every rule that turns them into values, so
// that the rules are tested on any host.
#pragma once
#include <stdint.h>

#include "core/string.h"

struct SystemPathsRecord {
    String windowsDirectory;    // at most 260 characters
    String programPath;         // the installer's own module path, at most 260
    String programFileName;     // fileNamePart(programPath)
    String programDirectory;    // directoryPart(programPath)
    char programDrive = 0;      // upper-case drive letter of programPath, or 0
    String commandInterpreter;  // %comspec%, or windowsDirectory\command.com; quoted when it holds blanks
    String tempDirectory;       // without its trailing backslash; "c:\temp" when the system has none
    bool filled = false;
};

// Filled by initSystemPaths before anything else runs; never changed after.
extern SystemPathsRecord SystemPaths;

// What the system answered, gathered by initSystemPaths.
struct SystemAnswers {
    String windowsDirectory;
    String modulePath;
    bool comspecExpanded = false;  // false when expanding "%comspec%" failed
    String comspec;
    String tempPath;               // empty when the system gave nothing
};

// Fills `paths` from `answers` unless it is already filled; true when it filled.
bool fillSystemPaths(SystemPathsRecord& paths, const SystemAnswers& answers);

// The upper-cased drive letter of `path`, or 0 when it does not start with a
// letter and ":".
char programDriveOf(const String& path);

// The expansion of "%comspec%", or `windowsDirectory` joined with
// "command.com" when the expansion failed or is blank; in double quotes when
// it contains a blank, CR, LF or tab.
String commandInterpreterFrom(bool expanded, const String& expansion, const String& windowsDirectory);

// `systemTempPath` without one trailing backslash; "c:\temp" when empty.
String tempDirectoryFrom(const String& systemTempPath);

// Characters to offer the system for the short form of a path of
// `pathLength` characters: twice the length, at least 260.
int32_t shortPathBufferSize(int32_t pathLength);

// --- Windows only (core/system_paths_win32.cpp) ---

// Fills SystemPaths from the system; later calls do nothing.
void initSystemPaths();

// The system's short form of `path`; `path` unchanged when the system cannot
// give one (for example, the file does not exist yet); empty for empty.
String shortPathName(const String& path);

// Replaces `text` by its expansion through the environment (at most 31999
// characters); false, with `text` unchanged, when the system fails.
bool expandEnvironment(String& text);

// The system's message text for `code` in the default language, as the
// system gives it (line end included); empty for 0 or an unknown code.
String systemErrorText(uint32_t code);
// systemErrorText of the calling thread's last error.
String lastSystemErrorText();
