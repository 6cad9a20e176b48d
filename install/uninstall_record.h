// The uninstall record: the list of what the uninstaller must remove
// (UninstallList, the body of Uninstall.DAT), the Uninstall.DAT text, the
// values of the product's key under the system's Uninstall key, and the
// background picture saved for the uninstaller.
//
// The layouts are pure and built from explicit inputs, so that their order
// and forms are tested anywhere; the run-wide operations at the end of this
// header gather the run's settings and do the writing (Windows only, except
// RecordForUninstall and ClearUninstallList, which only touch run-wide texts).
#pragma once
#include <stdint.h>

#include "core/containers.h"
#include "core/string.h"
#include "install/install_state.h"
#include "payload/settings_reader.h"
#include "ui/background_layout.h"

class Registry;

// The kinds of RecordForUninstall. Any kind other than these two records a
// key below the class root.
enum : int32_t {
    UninstallFileEntry = 0,    // the path; recorded every time
    UninstallFolderEntry = 1,  // "~" + path; once per path
    UninstallClassKeyEntry = 2,  // "!" + path; once per path
};

// Slots of the duplicate set of folder and key lines.
constexpr int32_t kUninstallSetSlots = 40;

// Appends the line for `path` and `kind` (each line ends in CR LF) to `list`.
// Paths of 3 characters or fewer (drive roots) are ignored. For kinds other
// than UninstallFileEntry the upper-cased path is looked up in `seen` and a
// path already there is not written again. True when a line was written.
bool recordUninstallEntry(String& list, NameSet& seen, const String& path, int32_t kind);

// --- Uninstall.DAT ---------------------------------------------------------

// The ids whose texts the uninstaller shows, in the order they are written.
constexpr int32_t kUninstallStringIdCount = 19;
extern const int32_t UninstallStringIds[kUninstallStringIdCount];

// The text of string `id` in the run's language; never null.
typedef const char* (*StringLookup)(int id);

// The whole Uninstall.DAT: `list` unchanged, "\r\n\r\n[Strings]\r\n", then
// "~id\r\ntext\r\n" for each of UninstallStringIds, then, only when
// `associations` is not empty, "\r\n\r\n[Associations]\r\n" and `associations`.
String uninstallDataText(const String& list, const String& associations, StringLookup lookup);

// --- The values of the product's key ---------------------------------------

// The Uninstall key below "Software" of the local machine.
extern const char UninstallKeyPath[];  // "Microsoft\Windows\CurrentVersion\Uninstall"

// The product's key below "Software": UninstallKeyPath joined with `uninstallName`.
String productUninstallKey(const String& uninstallName);

enum UninstallValueKind : uint8_t {
    UninstallText,        // REG_SZ
    UninstallExpandText,  // REG_EXPAND_SZ
    UninstallNumber,      // REG_DWORD
};

enum UninstallDropRule : uint8_t {
    KeepValue,         // always written, empty or not
    DropWhenEmpty,     // an empty text or a number 0 deletes the value instead
    AlwaysDelete,      // the value is deleted (BottomColor of a one-colour background)
};

// One value to write, in the order of the list.
struct UninstallRegistryValue {
    String name;
    UninstallValueKind kind = UninstallText;
    UninstallDropRule rule = KeepValue;
    String text;          // UninstallText, UninstallExpandText
    int32_t number = 0;   // UninstallNumber

    // True when writing this value means deleting it.
    bool deletes() const;
};
TAVO_TYPE_NAME(UninstallRegistryValue, "UninstallRegistryValue");

// What the values are made of, gathered from the run by WriteUninstallRecord.
struct UninstallRecordInputs {
    String uninstallerPath;
    String uninstallName;
    String productName;
    String installSource;
    String displayVersion;
    String publisher;
    String productRegistry;
    String productStartMenu;
    String sharedPath;          // the run's %SharedDir%
    String productFonts;        // productFontsText
    uint32_t productFlagsLow = 0;
    uint32_t productFlagsHigh = 0;
    String uninstallBatch1;
    String uninstallBatch2;
    String sharedFiles;         // the SharedFiles text of the counting
    String uninstallSubdir;
    int32_t shortcutMode = 0;
    String displayTitle;
    uint32_t titleColor = 0;
    uint32_t topColor = 0;
    uint32_t bottomColor = 0;
    uint8_t titleShadow = 0;
    int32_t bitmapSize = 0;
    // The settings block's extra values with their texts already expanded
    // (directory variables); null for none.
    const Vector<UninstallValue>* extraValues = nullptr;
    String installDir;
    String installDate;         // "m/d/y h:ii:ssap" of the current local time
};

// The uninstaller's two command lines: `path` /u:"name", and `path` /a /u:"name".
String uninstallCommandLine(const String& uninstallerPath, const String& uninstallName);
String quietUninstallCommandLine(const String& uninstallerPath, const String& uninstallName);

// "VersionMajor" and "VersionMinor" of a product version: false (neither
// value is written) when the text has no "."; the major number is the
// integer the text gives from its first digit, sign or point, with every ","
// removed; the minor one an optional sign and the digits right after the
// first "." (0 when none follow).
bool versionNumbers(const String& displayVersion, int32_t& major, int32_t& minor);

// The ProductFlags word as the signed decimal number of all 64 bits.
String productFlagsText(uint32_t low, uint32_t high);

// "ProductFonts": for each font, "\"name\" \"file\" ", in order. Fonts not
// meant for the record (InstalledFont::recorded false) are left out.
String productFontsText(const Array<InstalledFont>& fonts);

// The values in the order they are written, with their kinds and drop rules.
// The version values are absent (neither written nor deleted) when the
// version has no point.
void uninstallRegistryValues(const UninstallRecordInputs& inputs, Array<UninstallRegistryValue>& out);

// The text appended to ProblemReport when the key cannot be written or the
// uninstall string does not read back.
extern const char UninstallRegistryFailureText[];

// --- The background picture ------------------------------------------------

// The saved picture's name in the uninstaller directory.
extern const char UninstallerBackgroundName[];  // "Installer Background.BMP"

// A ".bmp" file of a packed bitmap: the 14-byte file header ("BM", total
// size, two reserved zero words, offset of the pixel bits) and the data.
String bitmapFileBytes(const PackedBitmap& bitmap);

// --- Run-wide operations -----------------------------------------------------

// recordUninstallEntry into UninstallList with the run's duplicate set.
void RecordForUninstall(const String& path, int32_t kind);
// Empties UninstallList and its duplicate set.
void ClearUninstallList();
// UninstallDir joined with "Uninstall.DAT".
String UninstallDataPath();

// --- Windows only (install/uninstall_record_win32.cpp) ---

// At start-up: opens the product's key (UninstallName below the Uninstall
// key; existing keys only) and reads "InstallLocation", "DisplayVersion" and
// "SharedFiles" into PreviousRecord (each empty when missing, all empty when
// there is no key); closes the key. The caller checks ProductFlags low bit
// 0x4 and decides on ReinstallFlag from the result.
void ReadPreviousRecord();

// With ProductFlags low bit 0x8000 and a BackgroundBitmap that is not empty:
// writes it as "Installer Background.BMP" into UninstallDir and records it
// (kind UninstallFileEntry). Nothing otherwise. A failed write is not
// reported (the uninstaller then simply finds no picture).
void SaveBackgroundForUninstaller();

// Writes the uninstaller program (StubImage through WriteFileBody, to
// UninstallerPath, failures into ProblemReport) and the values of the
// product's key, then checks "UninstallString" by reading it back. Needs
// UninstallDir, UninstallerPath, SharedFilesText and InstalledFonts of the
// run. Key failures append UninstallRegistryFailureText to ProblemReport.
// The caller checks ProductFlags low bit 0x4.
void WriteUninstallRecord();

// Writes Uninstall.DAT into UninstallDir (created or replaced) from
// UninstallList, the string table of the run's language and AssociationList.
// True on success; on failure the system's last error is that of the write,
// and the caller reports it (AppendFailure with the file's path).
bool WriteUninstallData();

// --- Windows only (install/uninstall_values_win32.cpp) ---

// Writes `values` in order into the current key of `registry`: texts as
// REG_SZ, expandable texts as REG_EXPAND_SZ, numbers as REG_DWORD, deletions
// as deletions. Single results are not looked at.
void writeUninstallValues(Registry& registry, const Array<UninstallRegistryValue>& values);
