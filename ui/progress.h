// The progress dialog: a modeless dialog over the background window with a
// heading, a bar, one status line and (when installing) a cancel button.
// Progress is told in percent of the whole run (see ui/progress_logic.h for
// the schedule). Windows only (ui/progress_win32.cpp).
//
// The setters keep the windows alive: each runs the run's message pump and
// returns its answer (true when a close, destroy or quit message was seen).
// The cancel question can only appear while they, HoldStatus or another
// caller of PumpMessages run. Without a dialog they only pump.
#pragma once
#include <stdint.h>

// Creates the dialog (wording for UninstallMode) owned by the background
// window, and makes it the run's ProgressWindow. A dialog that cannot be
// created leaves ProgressWindow empty.
void ShowProgressDialog();

// Destroys the dialog when it exists and forgets it.
void CloseProgressDialog();

// Puts `text` as it is into the status line (never used as a format) and
// repaints the dialog at once.
bool SetProgressText(const char* text);

// Moves the bar to `percent` (0 ... 100); posted, so the caller never waits
// for the bar to paint.
bool SetProgressPercent(int percent);

// The status clock := the system's millisecond tick count.
void RestartStatusClock();

// RestartStatusClock, the text of string `stringId`, then `percent`.
void SetProgressStatus(int stringId, int percent);

// Waits until the current status line has been shown for `milliseconds`
// while keeping the windows alive; nothing in automatic mode or for 0.
void HoldStatus(uint32_t milliseconds);

// Asks whether to stop (string 28 under caption 20, Yes and No); Yes ends
// the run through Shutdown, No returns.
void ConfirmCancel();

// Centres a top-level window on the whole screen, cut to the screen's size.
void CentreWindow(void* window);
