// The wizard's decisions, apart from its dialogs: which language is chosen
// first, the string ids of each dialog's texts, and the tests an
// installation directory must pass, with the message for each failure.
#pragma once
#include <stdint.h>

#include "core/containers.h"
#include "core/string.h"

// String ids of a dialog's texts: caption, heading (1009), accepting (1001)
// and declining (1003) button.
struct WizardTexts {
    int caption;
    int heading;
    int accept;
    int decline;
};
constexpr WizardTexts kLicenceTexts = {44, 47, 45, 46};
constexpr WizardTexts kReadmeTexts = {50, 51, 48, 49};
constexpr WizardTexts kDirectoryTexts = {24, 11, 48, 49};
constexpr int kBrowseButtonText = 52;
constexpr int kBrowserTitle = 11;
constexpr int kLanguageAcceptText = 48;
constexpr int kLanguageDeclineText = 49;
constexpr int kDisplayTitleText = 0;

// What a wizard dialog ends with.
constexpr int kDialogAccepted = 1001;
constexpr int kDialogDeclined = 1003;

// The most characters the directory field takes.
constexpr int32_t kDirectoryFieldLimit = 259;

// --- Language ---------------------------------------------------------------

// The part of a locale's language name that names the language: cut at the
// first "(", then at the first blank, tab, CR or LF ("English (United
// States)" gives "English").
String localeLanguagePrefix(const char* localeLanguageName);

// The first of `names` that begins with `prefix` (ASCII letters without
// regard to case; an empty prefix matches the first name); -1 when none.
int32_t findLanguageByPrefix(const Vector<String>& names, const char* prefix);

// The language the dialog selects first for a user whose locale's language
// name is `localeLanguageName`: the first name beginning with its prefix,
// else the first beginning with "English", else 0.
int32_t preselectedLanguage(const Vector<String>& names, const char* localeLanguageName);

// A list selection forced into 0 ... count - 1 (no selection gives 0).
int32_t languageFromSelection(int32_t selection, int32_t count);

// --- The installation directory ---------------------------------------------

enum class DirectoryProblem {
    None,
    NotAbsolute,        // not a valid name, or relative
    TwoBackslashes,     // begins with two backslashes (when refused)
    MissingDrive,       // its drive letter names no drive
    DriveRoot,          // 3 characters or fewer
    ProgramsDirectory,  // the programs directory itself
};

struct DirectoryRules {
    bool refuseTwoBackslashes = false;                // option word high bit 0x20
    bool (*driveExists)(char letter) = nullptr;       // null: every drive exists
    String programsDirectory;                         // the directory of %ProgramsDir%
};

// The first test that the (trimmed) `path` fails, in the order the user is
// told about them; None when it passes them all.
DirectoryProblem checkInstallDirectory(const String& path, const DirectoryRules& rules);

// The message for `problem`, formatted and ready to show: string 14 and the
// path on two lines, string 66, string 16 with the drive letter, string 17,
// or string 18 with the programs directory. `text` looks a string id up.
String directoryProblemMessage(DirectoryProblem problem, const String& path, const DirectoryRules& rules,
                               const char* (*text)(int id));
