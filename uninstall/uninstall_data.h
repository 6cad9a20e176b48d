// Reading the uninstall record back: Uninstall.DAT (written by
// install/uninstall_record.h) cut into its body lines, its [Strings] and its
// [Associations]; the "ProductFonts" and "SharedFiles" values taken apart;
// and the order in which folders, start-menu folders and product keys are
// climbed. All pure: the record may have been edited by hand, so every text,
// however odd, gets a result and every loop ends.
#pragma once
#include <stdint.h>

#include "core/containers.h"
#include "core/string.h"
#include "payload/settings_reader.h"
#include "ui/localised_text.h"

// --- Uninstall.DAT -------------------------------------------------------------

// The three pieces of the file. Without "[Strings]" (any case) the whole text
// is the body and the other two are empty.
struct UninstallDataPieces {
    String body;          // before "[Strings]"
    String strings;       // after "[Strings]", up to "[Associations]"
    String associations;  // after "[Associations]"
};
void splitUninstallData(const String& text, UninstallDataPieces& out);

// One line of `text` from `position`: its start and length (without the
// break), with `position` moved past the break. A break is CR, LF, CR LF,
// LF CR or a zero byte. False at the end of the text (a text ending in a
// break has no empty line after it).
bool nextTextLine(const String& text, int32_t& position, int32_t& start, int32_t& length);

// Every line of `body`, empty ones included, appended to `lines`.
void uninstallBodyLines(const String& body, Array<String>& lines);

enum UninstallLineKind : int32_t {
    UninstallLineEmpty,
    UninstallLineFile,      // the whole line is a file to delete
    UninstallLineFolder,    // "~" + a folder the installation created
    UninstallLineClassKey,  // "!" + a key below the class root
};
// The kind of `line`; `target` is the path it names (without its mark).
UninstallLineKind uninstallLineKind(const String& line, String& target);

// The string ids the record may carry, and the lines of the section read.
constexpr int32_t kUninstallMaxStringId = 1000;
constexpr int32_t kUninstallMaxSectionLines = 500;

// Fills `table` (reset to ids 0 ... 1000, one language) from a [Strings]
// section: "~id" starts a text, which is every following line with its own
// break up to the next line starting with "~", with trailing blanks, CR, LF
// and tabs removed. Ids outside 1 ... 1000 are skipped. At most 500 lines are
// taken, not counting a text's own lines.
void readUninstallStrings(const String& section, TextTable& table);

// The separator of the three fields of an association line.
extern const char UninstallAssociationSeparator[];  // "~!~"

// Takes at most 500 lines off the front of `list` (the [Associations]
// section); each "extension~!~type~!~verb" line with no blank field becomes
// a record (only those three fields set); other lines are dropped.
void takeUninstallAssociations(String& list, Array<FileAssociation>& out);

// --- The product's key --------------------------------------------------------

// The "ProductFlags" value: the number that starts at the first digit, sign
// or point, every "," removed, as the 64-bit word's two halves (0 for none).
void productFlagsFromText(const String& text, uint32_t& low, uint32_t& high);

// --- "ProductFonts" --------------------------------------------------------------

// Takes the next pair of double-quoted texts (font name, then file name;
// blanks around them skipped; "" inside quotes stands for one quote) from
// `text` at `position`. False, with `position` unchanged, when either text
// is missing or unquoted.
bool takeFontPair(const String& text, int32_t& position, String& fontName, String& fileName);

// --- "SharedFiles" -------------------------------------------------------------

struct SharedFileRecord {
    String path;               // the value name under SharedDLLs, and the file
    bool comServer = false;    // "^": unregister before deleting
    bool neverDelete = false;  // blank: only counted down
    bool typeLibrary = false;  // 0xA9: unregister its type library
};

// Takes the next quoted entry off the front of `rest`, its markers removed
// from the end in the order "^", blank, 0xA9. False, with `rest` unchanged,
// when no quoted entry is left or its path is empty.
bool takeSharedFileRecord(String& rest, SharedFileRecord& record);

// --- Climbing folders and keys -------------------------------------------------

// Inserts `folder` into `folders` so that longer texts come first.
void insertFolderLongestFirst(Array<String>& folders, const String& folder);

// The folders to remove for one folder line, in order: `folder`, then each
// parent, stopping before the first that is `installDir` (case-insensitive,
// whole text) and at the drive root. The caller stops at the first failure.
void folderClimb(const String& folder, const String& installDir, Array<String>& out);

// The start-menu folder and the product key are climbed at most this often.
constexpr int32_t kUninstallClimbLimit = 20;

// Cuts `path` (one trailing backslash ignored) before its last backslash;
// false, with `path` unchanged, when none is left or the parent would be a
// drive root or empty.
bool climbToParent(String& path);
