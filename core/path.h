// Pure text operations on file paths. A backslash is the separator; a ":" at
// index 1 marks a drive. Nothing here touches the file system, and no
// operation stops the run: every text, however odd, gets a result.
#pragma once
#include <stdint.h>

#include "core/string.h"

// `directory` and `name` joined by one backslash: `directory` when `name` is
// empty, `name` when `directory` is empty. A `name` starting with a backslash
// replaces one trailing backslash of `directory`; no backslash is added after
// a `directory` ending in ":" or a backslash ("C:" + "x" is "C:x").
String joinPath(const String& directory, const String& name);

// The index of the last backslash before the first ";" outside double quotes
// (in the whole text when there is none), else of the first ":", else -1.
// File specification lines ("dir\*.a;*.b") are cut here.
int32_t separatorPosition(const String& path);

// The text before the last separator, keeping a ":" separator and a backslash
// right after a ":" (C:\dir\file -> C:\dir, C:\file -> C:\, C:file -> C:);
// empty when there is no separator.
String directoryPart(const String& path);

// The text after the last backslash, else after the first ":", else the whole.
String fileNamePart(const String& path);

// Reduces `path` to fileNamePart(path).
void stripDirectory(String& path);

// Removes what follows the last separator, keeping the separator; false (and
// `path` unchanged) when there is no separator.
bool stripFileName(String& path);

// The index of the last "." after the last backslash, else -1.
int32_t extensionPosition(const String& path);

// Cuts `path` at its extension's "."; false when it has no extension.
bool stripExtension(String& path);

// Appends `extension` ("." put in front unless it starts with one) when `path`
// is not blank and has no extension; true when it appended.
bool addExtension(String& path, const String& extension);

// "X:" plus a backslash when the path goes on with one, for a path starting
// with a letter and ":"; else empty.
String driveRoot(const String& path);

// "X:" for a path starting with a letter and ":"; else empty.
String driveText(const String& path);

// After leading blanks (blank, CR, LF, tab): starts with two backslashes, or
// has ":" and a backslash at indexes 1 and 2. Null or empty: false.
bool isAbsolutePath(const char* path);
inline bool isAbsolutePath(const String& path) { return isAbsolutePath(path.text()); }

// Makes `path` absolute against `base` in place; true when it did. `path` is
// trimmed first (also when the result is false). False for an empty path, a
// null or non-absolute `base`, a UNC or drive-rooted path, and a path
// starting with one backslash when `base` has no drive letter.
//   \x      -> drive of base + \x
//   x       -> base + \x
//   D:x     -> D: + base without its first two characters + \x
bool makeAbsolutePath(String& path, const char* base);
inline bool makeAbsolutePath(String& path, const String& base) { return makeAbsolutePath(path, base.text()); }

// makeAbsolutePath against SystemPaths.programDirectory.
bool makeAbsoluteInProgramDirectory(String& path);

// Case-insensitive (ASCII) comparison after removing every trailing
// backslash from both.
bool pathsEqual(const String& a, const String& b);
// The same after trimming blanks, CR, LF and tabs from both ends and removing
// one trailing backslash (not every one) from each.
bool pathsEqualTrimmed(const String& a, const String& b);

// Flags of isValidFileName.
enum : uint32_t {
    FileNameAllowAsterisk = 0x1,   // "*" allowed
    FileNameAllowWildcards = 0x2,  // "*" and "?" allowed
    FileNameTrim = 0x4,            // trim blanks, CR, LF, tabs first
};

// False for an empty name, a drive ":" after something that is not a letter,
// or any of / " < > | * ? : ; (less "*" or "*?" by flag). One pair of
// enclosing double quotes and the drive's ":" are allowed; backslashes are.
bool isValidFileName(const String& name, uint32_t flags = 0);

// SystemPaths.programDirectory joined with `name`.
String programPathIn(const String& name);
