// Reading the unpacked settings block: one pass in stored order, with every
// default and range check, into a SettingsBlock. Pure; the driver copies the
// result into the run-wide settings.
//
// The block is read in two steps because the run reacts to the option word
// (automatic mode, the background window) and tests the block's checksum
// before anything else is taken from it:
//   MemoryStream stream(block, size);
//   readProductFlags(stream, settings);
//   ... react, test the checksum ...
//   int code = readSettingsRest(stream, context, settings);  // 0 or a corrupt-payload code
//
// Reads past the end of the block give zeros and empty texts, so a short
// block fails at a later check (at the latest the end marker, 32).
//
// Left to the driver (they need the system's folders): expanding directory
// variables in defaultInstallDir and making it absolute against the programs
// directory unless it is "<master>", and making sharedPath absolute against
// the common-files directory. The texts here are as stored, after the
// defaults and the "<os>" replacement below.
#pragma once
#include <stdint.h>

#include "core/containers.h"
#include "core/date_time.h"
#include "core/string.h"
#include "payload/memory_stream.h"
#include "ui/localised_text.h"

// A file (specification) to delete before installing.
struct FileDeletion {
    String spec;            // with directory variables and wildcards
    uint8_t condition = 0;  // 0 or 7+: always; 1-3: by date; 4-6: by size
    String argument;        // the date or the number of the condition
    uint32_t flags = 0;     // payload::kDeletionAtRestart
};

// A file type to register.
struct FileAssociation {
    uint32_t flags = 0;  // payload::kAssociationDefaultVerb
    String extension;    // always starts with "."
    String typeName;
    String description;
    String verb;
    String verbCaption;
    String command;
    String language;     // empty, or the language the record applies to
    String icon;
};

// An extra value for the product's uninstall key.
struct UninstallValue {
    String name;
    uint8_t type = 0;  // 2 and 4 select special storage
    String value;
};

TAVO_TYPE_NAME(FileDeletion, "FileDeletion");
TAVO_TYPE_NAME(FileAssociation, "FileAssociation");
TAVO_TYPE_NAME(UninstallValue, "UninstallValue");

struct SettingsBlock {
    uint32_t productFlagsLow = 0;
    uint32_t productFlagsHigh = 0;
    uint16_t minStepTime = 0;           // 0 ... 9999 ms
    uint8_t shortcutMode = 0;           // 1: all users
    DateTime buildTime;
    String publisher;
    String productName;                 // the /n override when given, else as stored
    String sharedPath;                  // empty unless the uninstall-record bit is set
    String productStartMenu;
    String defaultInstallDir;           // "<os>" replaced; variables not yet expanded
    String displayVersion;
    String productRegistry;
    int32_t bitmapSize = 0;             // 0 ... 100 percent
    Vector<String> licenceTexts;        // at most 20
    Vector<String> readmeTexts;         // at most 20
    String uninstallSubdir;
    String volumeBaseName;              // never blank
    String uninstallerName;
    String uninstallName;
    uint32_t titleColor = 0;
    uint8_t titleShadow = 0;
    uint32_t topColor = 0;
    uint32_t bottomColor = 0;
    String backgroundBitmap;            // bytes; empty when absent
    String masterProductName;           // only with the requires-master-product bit
    String desktopFolder;
    String installBatchBefore;
    String installBatchAfter;
    String installBatchLast;
    String uninstallBatch1;
    String uninstallBatch2;
    uint32_t excludedSystems = 0;
    uint8_t dataInFile = 0;
    uint32_t firstVolumeId = 0;
    int32_t uninstallerPatchOffset = 0; // 0: no patch
    String uninstallerPatch;            // bytes written over the StubImage at the offset
    Array<FileDeletion> fileDeletions;  // at most 1001
    Vector<FileAssociation> fileAssociations;
    Vector<UninstallValue> uninstallValues;
    Vector<String> languageTable;       // 1 ... 100 names
    TextTable stringTable;              // texts with CR LF line breaks
    int32_t defaultLanguage = 0;        // the last language named exactly "English", else 0

    bool lowFlag(uint32_t bit) const { return (productFlagsLow & bit) != 0; }
    bool highFlag(uint32_t bit) const { return (productFlagsHigh & bit) != 0; }
};

// What the reading needs from outside the block.
struct SettingsContext {
    const char* productNameOverride = nullptr;  // /n; null or empty when not given
    const char* windowsDirectory = nullptr;     // for "<os>" in the default directory
    uint32_t installerFileLength = 0;           // bounds the UninstallerPatch offset
};

// The option word: the first 8 bytes, low half first.
void readProductFlags(MemoryStream& block, SettingsBlock& out);

// Everything after the option word, in stored order, defaults applied as
// they come (later defaults see earlier results). Returns 0, or the
// corrupt-payload code of the first failed check: 19, 39, 24, 26, 21, 23,
// 38, 36, 37, 30, 31, 32.
int readSettingsRest(MemoryStream& block, const SettingsContext& context, SettingsBlock& out);
