// Shared files: the reference counts under the system's SharedDLLs key and the
// "SharedFiles" text of the uninstall record, which names every file this
// installation counted (with its marker) so that a reinstallation or the
// uninstaller can take the counts back.
//
// A "SharedFiles" text is a run of double-quoted entries separated by ";"
// with no blanks: "C:\A\x.dll^";"C:\A\y.dll ". An entry is a full path and at
// most one marker (install/install_state.h: kSharedComServer,
// kSharedNeverDelete, kSharedTypeLibrary).
#pragma once
#include <stdint.h>

#include "core/containers.h"
#include "core/string.h"

class Registry;

// The SharedDLLs key below "Software" of the local machine.
extern const char SharedDllsKey[];  // "Microsoft\Windows\CurrentVersion\SharedDLLs"

// The text appended to ProblemReport when that key cannot be opened.
extern const char SharedDllsFailureText[];

// The value name an entry is counted under: the entry with, from its end and
// each at most once, a "^", then a blank, then a byte 0xA9 removed.
String sharedFileValueName(const String& entry);

// Appends `entry` (marker kept) to a SharedFiles text: ";" first unless the
// text is empty, then the entry between double quotes.
void appendSharedFilesEntry(String& text, const String& entry);

// Takes the next entry off the front of `rest`: the text between the first
// double quote and the next one, then one leading ";" of what is left.
// `valueName` is sharedFileValueName of the entry. False, with `rest`
// unchanged, when no quoted entry is left or its value name is empty.
bool takeSharedFilesEntry(String& rest, String& valueName);

// --- Windows only (install/shared_files_win32.cpp) ---

// Takes back one count of every entry of `previousText` under the current key
// of `registry`: a count above 1 is written less one, any other count (or a
// missing value) is deleted.
void takeBackSharedFileCounts(Registry& registry, const String& previousText);

// Adds one count for every entry of `list`, in order, under the current key of
// `registry` (a missing value counts as 0) and returns their SharedFiles text.
String countSharedFileList(Registry& registry, const Array<String>& list);

// The counting of the installation. Opens (creating when missing) the
// SharedDLLs key; with `reinstall` takes back PreviousRecord.sharedFiles
// first, then counts SharedFileList and sets SharedFilesText. When the key
// cannot be opened: SharedDllsFailureText goes to ProblemReport, nothing is
// counted and SharedFilesText becomes the earlier installation's text. The
// caller checks ProductFlags low bit 0x4.
void CountSharedFiles(bool reinstall);
