// Control ids of the dialog templates, shared by ui/dialogs.rc and the code.
// Plain macros, because the resource compiler reads this file too. One id
// means one role in every dialog that has it.
#pragma once

#define IDC_ACCEPT 1001     // the accepting button
#define IDC_DECLINE 1003    // the declining (or cancel) button
#define IDC_LONG_TEXT 1005  // the licence or readme text
#define IDC_BAR_FRAME 1007  // marks where the progress bar goes
#define IDC_HEADING 1009    // the heading line
#define IDC_STATUS 1011     // the progress status line
#define IDC_BROWSE 1013     // opens the folder browser
#define IDC_DIRECTORY 1015  // the installation directory field
#define IDC_LANGUAGES 1017  // the list of languages
