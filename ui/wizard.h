// The wizard's modal dialogs, each owned by the background window, centred
// on the screen and labelled from the localised strings. None of them
// answers the caption's close button or Esc: only their buttons end them.
// Windows only (ui/wizard_win32.cpp); the decisions are in ui/wizard_logic.h.
#pragma once

#include "core/string.h"

// The language choice (only worth showing for more than one language).
// Each selection relabels the dialog and the background title at once.
// Returns kDialogAccepted (CurrentLanguage is the chosen language),
// kDialogDeclined (CurrentLanguage keeps the last selection), or the
// system's failure value when the dialog could not be created.
int RunLanguageDialog();

// One licence or readme text (placeholders already replaced) for the user to
// accept or decline. Returns kDialogAccepted, kDialogDeclined or the
// system's failure value.
int RunLicenceDialog(const char* text);
int RunReadmeDialog(const char* text);

// The installation directory, starting from InstallDir. True when the user
// accepted: InstallDir then holds the field's text as typed (not trimmed).
// False when the user declined or the dialog could not be created, so that a
// caller repeating the dialog while the text is blank cannot loop for ever.
bool ChooseDirectory();

// The shell's folder browser over the computer's drives, opened at `path`.
// True with `path` := the chosen folder; false when cancelled or when the
// choice has no file-system path.
bool BrowseForFolder(void* owner, String& path);
