// Self-removal: a running program cannot delete its own file, so after a
// successful uninstallation a small batch file, run minimised by the command
// interpreter, deletes the uninstaller once its process has gone, removes the
// uninstall folder and the installation folder when they are empty, and
// deletes itself.
#pragma once
#include <stdint.h>

#include "core/string.h"

// The batch file's fixed place.
extern const char SelfRemovalBatchPath[];  // "c:\delunins.bat"

// The uninstall subdirectory of the record being uninstalled (relative to
// InstallDir; empty when the uninstaller lies in InstallDir itself). Set by
// UninstallProduct, read by RemoveUninstaller.
extern String RecordUninstallSubdir;

// How often the batch tries to delete the program before it gives up: a file
// that can never be deleted must not keep an interpreter looping for ever.
// The batch counts in decimal places of single letters, so that the 9x
// command interpreter (no arithmetic) can count too.
constexpr int32_t kSelfRemovalCountPlaces = 4;  // 10^4 attempts

// The batch text, every line ending in CR LF: the delete loop for
// `programPath`; "rd" of `installDir` joined with `uninstallSubdir` (only
// when that is not empty); "rd" of `installDir`; "del" of the batch itself.
// Every path is in double quotes. `countPlaces` (1 to
// kSelfRemovalCountPlaces) bounds the loop at 10^countPlaces attempts.
String selfRemovalBatchText(const String& programPath, const String& installDir, const String& uninstallSubdir,
                            int32_t countPlaces = kSelfRemovalCountPlaces);

// The interpreter's path as a program name: without the double quotes that
// SystemPaths puts around a path with blanks.
String interpreterProgram(const String& commandInterpreter);

// The interpreter's path in double quotes (quoted once, however it came),
// then " /c " and the batch path.
String selfRemovalCommandLine(const String& commandInterpreter);

// Results of RemoveUninstaller.
enum : int32_t {
    SelfRemovalStarted = 0,
    SelfRemovalNotWritten = 1,
    SelfRemovalNotStarted = 2,
};

// --- Windows only (uninstall/self_removal_win32.cpp) ---

// Writes the batch for SystemPaths.programPath, InstallDir and
// RecordUninstallSubdir and starts it minimised in a new console without
// waiting. Shows nothing.
int32_t RemoveUninstaller();
