// The texts of the batch commands and of the PATH change: the TAVOBAT.BAT
// content with its SET lines, the PAUSE filter, the command line that runs
// it, and the editing of the PATH line in autoexec.bat. Pure; the Win32 side
// (RunBatchCommands, ModifyPath) is install/batch_win32.cpp.
#pragma once
#include <stdint.h>

#include "core/string.h"

// The name of the generated batch file in the directory the caller gives.
extern const char kBatchFileName[];  // "TAVOBAT.BAT"

// The environment size the command interpreter is given for the SET lines.
constexpr int32_t kBatchEnvironmentSize = 5000;

// The whole batch file: "@echo off", the InstallDir and InstallDrive lines
// when `directory` is not empty, the 24 SET lines of the directory variables
// (`values` is indexed by DirectoryVariable of install/directory_variables.h
// and holds all 28), then `commands` (PAUSE lines dropped when `dropPause`),
// every line ending made CR LF.
String batchText(const String& directory, const String* values, const String& commands, bool dropPause);

// `commands` without the lines that are a PAUSE (any case, blanks around,
// an optional leading "@"); every kept line as it was, followed by CR LF.
String withoutPauseLines(const String& commands);

// "<interpreter> /e:5000 /c \"<batchPath>\"".
String batchCommandLine(const String& interpreter, const String& batchPath);

// "PATH=%PATH%;<shortDirectory>\r\n".
String pathLineFor(const String& shortDirectory);

// What ModifyPath(true) appends to `text` (an autoexec.bat): empty when the
// PATH line is already there (any case); else the line, preceded by CR LF
// when `text` does not end with LF.
String pathLineAddition(const String& text, const String& pathLine);

// Removes the first occurrence (any case) of the PATH line from `text`, or
// failing that of the line without its CR LF (a last line without a line
// break). True when something was removed.
bool removePathLine(String& text, const String& pathLine);

// The ProblemReport text when autoexec.bat cannot be opened; `installDir`
// is the long form.
String modifyPathFailureText(const String& autoexecPath, bool add, const String& installDir);
