// The installation log: at the end of the run, a section with a header, the
// run's InstallLog and its problems is appended to Install.LOG in the
// uninstaller directory, and the user is told how the installation went.
// The section's text and the closing decisions are pure; WriteInstallLog is
// the Windows side.
#pragma once
#include <stdint.h>

#include "core/string.h"

// Language strings of the closing messages.
enum : int32_t {
    ProblemsQuestionString = 40,  // text: the log path as its one "%s"
    ProblemsCaptionString = 41,
    SuccessTextString = 42,
    SuccessCaptionString = 43,    // also ends a kept log of a run without problems
};

// The installer's own version as the log shows it ("%.1f").
constexpr double kInstallerVersion = 11.3;

// The log file's name in the uninstaller directory.
extern const char InstallLogName[];  // "Install.LOG"

// What the section's header is made of.
struct InstallLogHeader {
    String productName;
    String installDate;       // "d-M-yy h:ii:ssap" of the current local time
    bool recordKept = false;  // ProductFlags low bit 0x4: the install type line is written
    bool reinstall = false;
    String installDir;
    String displayVersion;    // a blank one writes no product version line
};

// The header: "\r\nInstallation log for: ...", "Install date: ...", with
// recordKept "Install type: Reinstall|New", "Install location: ...",
// "Installer version: 11.3", a "Product version: ..." line unless the
// version is blank, then an empty line.
String installLogHeaderText(const InstallLogHeader& header);

// The section appended to the file: the header, then `installLog` and
// "\r\n" when the log is not blank, then `problems`.
String installLogSection(const InstallLogHeader& header, const String& installLog, const String& problems);

// Which message closes the installation.
enum ClosingMessage : uint8_t {
    NoClosingMessage,
    SuccessMessage,    // string 42 under 43, OK
    ProblemsQuestion,  // string 40 under 41, Yes shows the log
};
// `report`: the caller asks for a message; `quietSuccess`: ProductFlags low
// bit 0x400000.
ClosingMessage closingMessageFor(bool report, bool hadProblems, bool automaticMode, bool quietSuccess);

// A run's problems once a reported run without problems has closed: string
// 43 and an empty line stand in for them.
String successProblemsText(const char* successCaption);

// Whether the section is written: ProductFlags low bit 0x40 (always keep a
// log) or a run with problems.
inline bool keepsInstallLog(bool alwaysKeepLog, bool hadProblems) { return alwaysKeepLog || hadProblems; }

// --- Windows only (install/install_log_win32.cpp) ---

// Ends the installation's log: tells the user the result when `report` is
// true, appends the section to Install.LOG in UninstallDir when the log is
// kept, and opens the log when the user asked to see it (the shell, else
// "notepad.exe <path>"). `reinstall` is the run's ReinstallFlag; `problems`
// is a copy of ProblemReport.
void WriteInstallLog(bool reinstall, bool report, String problems);
