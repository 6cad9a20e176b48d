// The payload format: the one description that the stub (which reads it) and
// the builder (which writes it) share. Constants, the option bits with their
// manifest names, and the order of the settings block's fields.
#pragma once
#include <stdint.h>

namespace payload {

// Section and header.
constexpr char kSectionName[] = ".tavo";
constexpr uint32_t kHeaderMagic = 0xA4F23DE5;
constexpr uint32_t kBuilderVersion = 1130;        // hundredths: 11.30
constexpr uint32_t kNewestReadableVersion = 1131; // later builders are refused
constexpr double kReaderVersion = 11.3;           // shown in the refusal
constexpr uint32_t kHeaderFixedSize = 36;         // before the file sizes
constexpr int32_t kMaxSettingsSize = 0xA00000;    // exclusive
constexpr int32_t kMaxFileSize = 0x40000000;      // inclusive
constexpr uint32_t kChecksumSeed = 0x79E2BC9D;

// Packed blocks.
constexpr uint32_t kPackedMagic = 0x9EC72BA1;
constexpr uint32_t kPackedPrefixSize = 8;

// Settings block.
constexpr uint32_t kEndMarker = 0xD3E82B97;
constexpr uint32_t kMaxMinStepTime = 9999;
constexpr int32_t kMaxBitmapPercent = 100;
constexpr int32_t kMaxLicenceTexts = 20;          // also the readme texts
constexpr int32_t kMaxFileDeletions = 1001;
constexpr int32_t kMaxAssociations = 10000;
constexpr int32_t kMaxUninstallValues = 10000;
constexpr int32_t kMaxLanguages = 100;
constexpr int32_t kMaxStrings = 10000;
constexpr uint32_t kReservedSize = 20;
constexpr uint32_t kDateTimeSize = 24;            // six i32: year month day hour minute second
constexpr char kFileDeletionEnd[] = "~~THE END~~";
constexpr char kVolumeNameFormat[] = "%s%d.TAV";
constexpr uint32_t kAttributesUnchanged = 0xFFFFFFFF;

// ProductFlags bits: X(name in code, manifest name, half, bit). Half 0 is the
// low word, 1 the high word. The manifest names are what people write.
#define TAVO_PRODUCT_FLAGS(X)                                                \
    X(NoReinstall, "no-reinstall", 0, 0x1)                                   \
    X(UninstallerStartMenuShortcut, "uninstaller-start-menu-shortcut", 0, 0x2) \
    X(KeepUninstallRecord, "uninstall-record", 0, 0x4)                       \
    X(AskBeforeFontRemoval, "ask-before-font-removal", 0, 0x10)              \
    X(PackedData, "packed-data", 0, 0x20)                                    \
    X(AlwaysWriteLog, "always-write-log", 0, 0x40)                           \
    X(DirectoryDialog, "directory-dialog", 0, 0x80)                          \
    X(AutomaticInstall, "automatic-install", 0, 0x100)                       \
    X(AutomaticUninstall, "automatic-uninstall", 0, 0x200)                   \
    X(RemoveWholeFolder, "remove-whole-folder", 0, 0x400)                    \
    X(ReplaceAtRestartWhenInUse, "replace-at-restart-when-in-use", 0, 0x800) \
    X(AddToPath, "add-to-path", 0, 0x1000)                                   \
    X(RestartNeeded, "restart-needed", 0, 0x4000)                            \
    X(KeepBackgroundBitmap, "keep-background-bitmap", 0, 0x8000)             \
    X(RequiresMasterProduct, "requires-master-product", 0, 0x10000)          \
    X(AskBeforeSharedFileRemoval, "ask-before-shared-file-removal", 0, 0x20000) \
    X(VerifyWrittenFiles, "verify-written-files", 0, 0x40000)                \
    X(ClearAttributesOnFailure, "clear-attributes-on-failure", 0, 0x80000)   \
    X(DetailedLog, "detailed-log", 0, 0x100000)                              \
    X(NoCancel, "no-cancel", 0, 0x200000)                                    \
    X(NoClosingMessage, "no-closing-message", 0, 0x400000)                   \
    X(HideBatchBefore, "hide-batch-before", 0, 0x800000)                     \
    X(HideBatchAfter, "hide-batch-after", 0, 0x1000000)                      \
    X(HideBatchLast, "hide-batch-last", 0, 0x2000000)                        \
    X(HideUninstallBatch1, "hide-uninstall-batch-1", 0, 0x4000000)           \
    X(HideUninstallBatch2, "hide-uninstall-batch-2", 0, 0x8000000)           \
    X(NoReinstallQuestion, "no-reinstall-question", 0, 0x10000000)           \
    X(NoBackgroundWindow, "no-background-window", 0, 0x20000000)             \
    X(ConfirmDirectory, "confirm-directory", 0, 0x80000000)                  \
    X(CheckStubChecksum, "check-stub-checksum", 1, 0x1)                      \
    X(UninstallerDesktopShortcut, "uninstaller-desktop-shortcut", 1, 0x2)    \
    X(ErrorsInAutomaticMode, "errors-in-automatic-mode", 1, 0x8)             \
    X(CompareVersions, "compare-versions", 1, 0x10)                          \
    X(RefuseUncDirectory, "refuse-unc-directory", 1, 0x20)                   \
    X(UninstallerShortcutInUninstallDir, "uninstaller-shortcut-in-uninstall-dir", 1, 0x40) \
    X(MaximisedBackground, "maximised-background", 1, 0x100)

struct FlagBit {
    uint8_t half;
    uint32_t bit;
};

namespace flag {
#define TAVO_FLAG_CONSTANT(name, text, half, bit) constexpr FlagBit name = {half, bit};
TAVO_PRODUCT_FLAGS(TAVO_FLAG_CONSTANT)
#undef TAVO_FLAG_CONSTANT
}  // namespace flag

// FileEntry flags.
constexpr uint32_t kEntryDesktopShortcut = 0x1;
constexpr uint32_t kEntryStartMenuShortcut = 0x2;
constexpr uint32_t kEntryExistenceRuleMask = 0xC;
constexpr uint32_t kEntryNotRecorded = 0x20;
constexpr uint32_t kEntryInUninstallDir = 0x40;

// FileDeletion flags.
constexpr uint32_t kDeletionAtRestart = 0x2;

// FileAssociation flags.
constexpr uint32_t kAssociationDefaultVerb = 0x1;

// The settings block's fields in stored order: X(name, encoding). Encodings:
// u8 u16 u32 i32 u64, text, datetime, texts (i32 count + texts), bytes
// (i32 length + bytes), and the special forms noted. Reader and writer both
// follow this order; the round-trip test holds them to it.
#define TAVO_SETTINGS_FIELDS(X)                                            \
    X(productFlags, u64)                                                   \
    X(minStepTime, u16)                                                    \
    X(shortcutMode, u8)                                                    \
    X(buildTime, datetime)                                                 \
    X(publisher, text)                                                     \
    X(productName, text)                                                   \
    X(sharedPath, text)                                                    \
    X(productStartMenu, text)                                              \
    X(defaultInstallDir, text)                                             \
    X(displayVersion, text)                                                \
    X(productRegistry, text)                                               \
    X(bitmapSize, i32)                                                     \
    X(licenceTexts, texts)                                                 \
    X(readmeTexts, texts)                                                  \
    X(uninstallSubdir, text)                                               \
    X(volumeBaseName, text)                                                \
    X(uninstallerName, text)                                               \
    X(uninstallName, text)                                                 \
    X(titleColor, u32)                                                     \
    X(titleShadow, u8)                                                     \
    X(topColor, u32)                                                       \
    X(bottomColor, u32)                                                    \
    X(backgroundBitmap, bytes)                                             \
    X(masterProductName, text_if_requires_master_product)                  \
    X(desktopFolder, text)                                                 \
    X(installBatchBefore, text)                                            \
    X(installBatchAfter, text)                                             \
    X(installBatchLast, text)                                              \
    X(uninstallBatch1, text)                                               \
    X(uninstallBatch2, text)                                               \
    X(reserved, reserved20)                                                \
    X(excludedSystems, u32)                                                \
    X(dataInFile, u8)                                                      \
    X(firstVolumeId, u32)                                                  \
    X(uninstallerPatch, patch_if_uninstall_record)                         \
    X(fileDeletions, deletion_list)                                        \
    X(fileAssociations, association_list)                                  \
    X(uninstallValues, uninstall_value_list)                               \
    X(languageCount, u8)                                                   \
    X(stringCount, i32)                                                    \
    X(languageTable, language_names)                                       \
    X(stringTable, string_rows)                                            \
    X(endMarker, u32)

}  // namespace payload
