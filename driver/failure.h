// Failure reporting and the one way out of the process. Every run ends in
// Shutdown with exit code 1, successful or not.
#pragma once
#include "core/fatal.h"   // FatalMessage(text), InternalFatal, OutOfMemoryReport
#include "core/string.h"

// Run-wide window handles; empty when the window does not exist. The progress
// dialog and background window modules set and forget them.
extern void* ProgressWindow;
extern void* BackgroundWindow;

// The progress dialog when it exists, else the background window, else none.
void* OwnerWindow();

// Takes every pending message; true at once after dispatching destroy (2),
// close (0x10) or quit (0x12); false when the queue is empty. Never waits.
bool PumpMessages();

// Destroys the progress dialog, minimises and destroys the background window,
// pumps once, uninitialises COM and ends the process with exit code 1.
[[noreturn]] void Shutdown();

template <class... Args>
[[noreturn]] void FatalMessage(const char* pattern, const Args&... args) {
    FatalMessage(formatText(pattern, args...).text());
}

// A corrupt payload, reported by number (language string 13 or the built-in text).
[[noreturn]] void ReportCorrupt(int code);

// A bad command line: `text`, then how to call the installer.
[[noreturn]] void UsageReport(const char* text);

// A recoverable error box (caption string 21 or "Error"); silent in automatic
// mode unless the settings ask for errors there; a blank text shows nothing.
void ErrorMessageText(const char* text);
template <class... Args>
void ErrorMessage(const char* pattern, const Args&... args) {
    ErrorMessageText(formatText(pattern, args...).text());
}

// Appends "<string 31> <name>\r\n<system text of the last error>\r\n" to
// `errorText`; the caller has just seen an operation on `name` fail.
void AppendFailure(String& errorText, const char* name);

// The busy cursor around long measurements.
void ShowWaitCursor();
void ClearCursor();

// Tells every top-level window that the fonts changed, and waits.
void BroadcastFontChange();
