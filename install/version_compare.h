// Version texts: how two of them are ordered, and the form in which a file's
// own version is compared with the version the catalogue gives for it.
#pragma once
#include <stdint.h>

#include "core/string.h"

// Orders two version texts: negative when `a` is the older, 0 when they are
// equal, positive when `a` is the newer. Each text reads, left to right, as
// a list of numbers and one letter: a run of digits is a number, a point
// before the first number stands for 0, a letter A-Z or a-z is the letter
// (the last one counts), anything else (a later point too) only separates.
// The first differing number decides; when both lists end together the
// letters' codes decide (no letter is 0); otherwise the shorter list is the
// older. So 1.10 > 1.9, 1.2.0 > 1.2, 1.2b > 1.2a. Letter case is not folded.
int32_t CompareVersions(const String& a, const String& b);

// A version resource's text as it is compared: upper-cased, and each of its
// point-separated parts padded on the left with "0" to 10 characters
// ("1.2b" -> "0000000001.000000002B"); longer parts stay as they are. An
// empty text stays empty.
String paddedVersionText(const String& text);

// --- Windows only (install/file_version_win32.cpp) ---

// The value "\StringFileInfo\040904E4\FileVersion" of the file's version
// resource (no other language is looked at), as paddedVersionText; empty
// when the file has none or cannot be read.
String FileVersionText(const String& path);
