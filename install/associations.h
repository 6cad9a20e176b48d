// The rules of the file-association action: which records apply, the backup
// value that keeps what an association replaced, and its texts. Pure; the
// registry work is install/associations_win32.cpp.
#pragma once
#include <stdint.h>

#include "core/string.h"
#include "payload/settings_reader.h"

// `productName` + " Backup" without backslashes, CR, LF and tabs: the value
// that keeps a replaced default value for the uninstaller.
String backupValueName(const String& productName);

// False for a record without an extension, or one whose language is set and
// is not exactly `languageName` (the run's language).
bool associationApplies(const FileAssociation& association, const String& languageName);

// `extension` with a "." in front unless it begins with one.
String dottedExtension(const String& extension);

// Whether a default value `current` must be kept before `replacement` is
// written: it is not blank and differs other than by letter case.
bool needsBackup(const String& current, const String& replacement);

// The AssociationList line: "ext~!~type~!~verb\r\n".
String associationListLine(const String& extension, const String& typeName, const String& verb);

// The ProblemReport block of an association that was not made.
String associationFailureText(const String& extension);

// The ProblemReport block when the product's keys cannot be created.
String productKeysFailureText(const String& productRegistry);

// --- Windows only (install/associations_win32.cpp) ---

// Tells the shell that file associations changed; nothing without the shell.
void NotifyAssociationsChanged();
