// The [rename] section of wininit.ini, through which the 9x family renames
// and deletes files at the next restart ("NUL=path" deletes). Only the text
// is edited here; reading and rewriting the file is the caller's.
#pragma once

#include "core/string.h"

// Adds "destination=source" as the first entry of the [rename] section of
// `iniText` and leaves every other byte as it was:
// - with a "[rename]" header (found in any letter case), "\r\n" and the entry
//   are inserted right after its 8 characters, so the newest entry stands
//   first;
// - without one, "\r\n" is appended when the text does not already end with
//   CR or LF (an empty text included), then "[rename]\r\n" and the entry,
//   with no line break after it.
// False, and the text unchanged, when destination or source is blank.
bool addRenameEntry(String& iniText, const String& destination, const String& source);
