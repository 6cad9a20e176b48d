// Everything an installer carries, in the builder's own terms: what the
// manifest reader fills and the payload writer turns into bytes. Texts are
// ANSI bytes as they will be stored; directory variables stay unexpanded.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "builder/pack.h"

namespace build {

struct DateTime {
    int32_t year = 0, month = 0, day = 0;      // month 0: no date
    int32_t hour = -1, minute = 0, second = 0;  // hour -1: no time
};

struct FileDeletion {
    std::string spec;
    uint8_t condition = 0;  // 0: always; 1-3 date tests; 4-6 size tests
    std::string argument;
    uint32_t flags = 0;     // payload::kDeletionAtRestart
};

struct FileAssociation {
    uint32_t flags = 0;     // payload::kAssociationDefaultVerb
    std::string extension, typeName, description, verb, verbCaption, command, language, icon;
};

struct UninstallValue {
    std::string name;
    uint8_t type = 0;
    std::string value;
};

struct Settings {
    uint32_t flagsLow = 0, flagsHigh = 0;
    uint16_t minStepTime = 0;
    uint8_t shortcutMode = 0;
    DateTime buildTime;
    std::string publisher, productName, sharedPath, productStartMenu, defaultInstallDir;
    std::string displayVersion, productRegistry;
    int32_t bitmapSize = 100;
    std::vector<std::string> licenceTexts, readmeTexts;
    std::string uninstallSubdir, volumeBaseName, uninstallerName, uninstallName;
    uint32_t titleColor = 0xFFFFFF;
    uint8_t titleShadow = 1;
    uint32_t topColor = 0x800000, bottomColor = 0;
    std::vector<uint8_t> backgroundBitmap;
    std::string masterProductName;  // stored only with the requires-master-product flag
    std::string desktopFolder;
    std::string installBatchBefore, installBatchAfter, installBatchLast;
    std::string uninstallBatch1, uninstallBatch2;
    uint32_t excludedSystems = 0;
    uint8_t dataInFile = 0;
    uint32_t firstVolumeId = 0;
    int32_t uninstallerPatchOffset = 0;  // stored only with the uninstall-record flag
    std::vector<uint8_t> uninstallerPatch;
    std::vector<FileDeletion> fileDeletions;
    std::vector<FileAssociation> fileAssociations;
    std::vector<UninstallValue> uninstallValues;
    std::vector<std::string> languages;               // names, in order
    std::vector<std::vector<std::string>> strings;    // strings[id][language]
};

struct FileEntry {
    std::string name;                  // source name and default target name
    uint32_t kind = 0;
    uint32_t flags = 0;                // payload::kEntry*
    uint32_t attributes = 0xFFFFFFFF;  // payload::kAttributesUnchanged
    std::vector<uint8_t> body;
    DateTime modified;
    std::string firstText;             // shortcut name, version text or font name by kind
    std::string shortcutIcon;          // stored only with a shortcut flag
    std::string shortcutArguments;
    std::string destination;
};

// How the stored data region is laid out on disk.
struct Layout {
    bool dataInFile = false;       // after the section instead of inside it
    int64_t volumeSize = 0;        // > 0: split the region into volumes of at most this many bytes
    int packLevel = kPackDefaultLevel;  // of every packed block (builder/pack.h)
};

struct Installer {
    Settings settings;
    std::vector<FileEntry> files;
    Layout layout;
};

}  // namespace build
