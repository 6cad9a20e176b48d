// The system's font list: entering a font at installation and taking its
// entry out again at uninstallation. Windows only (install/fonts_win32.cpp).
#pragma once

#include "core/string.h"

// Writes the font's list value, loads the font from `fileName` (no
// directory: the system looks in the fonts folder) and appends it to
// InstalledFonts, from which "ProductFonts" is made; `recorded` false keeps
// it out of that text. Failures are not reported: the font file is in place
// either way.
void RegisterFont(const String& name, const String& fileName, bool recorded);

// Opens or creates the font list key of the running platform and writes
// `name` = `fileName` as text; true when written.
bool SetFontValue(const String& name, const String& fileName);

// Opens or creates the font list key and deletes the value `name`; true
// when it is gone, false when the key cannot be opened or the system
// refuses (a missing value included).
bool DeleteFontValue(const String& name);
