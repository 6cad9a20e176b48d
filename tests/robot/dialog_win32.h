// Reading and answering the dialogs of another process. Every message to the
// other process goes with a time-out, so a hung child cannot hang the robot.
#pragma once

#include <windows.h>

#include "dialog_view.h"
#include "script.h"

namespace robot {

// Reads the caption and every descendant control (id, class, text, list
// entries) of a top-level window.
DialogView readDialog(HWND dialog);

// Carries out one action on the dialog, as a user would: typed text and list
// choices are set and announced to the dialog with the notification a real
// edit would send; clicks are posted as WM_COMMAND from the button. Returns
// false when the control to type into, pick from or check does not exist.
bool performAction(HWND dialog, const DialogView& view, const Action& action);

}  // namespace robot
