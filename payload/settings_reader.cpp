#include "payload/settings_reader.h"

#include "payload/format.h"

namespace {

using payload::flag::KeepUninstallRecord;
using payload::flag::RequiresMasterProduct;

// A text list: i32 count (0 ... 20, else `code`), then the texts.
int readTextList(MemoryStream& in, Vector<String>& out, int code) {
    int32_t count = 0;
    in.readI32(count);
    if (count < 0 || count > payload::kMaxLicenceTexts) return code;
    out.resize(count);
    for (String& text : out) in.readText(text);
    return 0;
}

void defaultSharedPath(SettingsBlock& out) {
    if (out.sharedPath.isEmpty()) out.sharedPath = out.publisher.isBlank() ? out.productName : out.publisher;
    // Without an uninstall record no shared files are counted, so there is
    // no shared directory.
    if (!out.lowFlag(KeepUninstallRecord.bit)) out.sharedPath.clear();
}

void defaultStartMenu(SettingsBlock& out) {
    if (!out.productStartMenu.isEmpty()) return;
    out.productStartMenu = out.publisher;
    if (!out.publisher.isEmpty()) out.productStartMenu += "\\";
    out.productStartMenu += out.productName;
}

void defaultInstallDir(SettingsBlock& out, const char* windowsDirectory) {
    if (out.defaultInstallDir.isEmpty()) {
        out.defaultInstallDir = out.productName;
    } else {
        out.defaultInstallDir.replaceAll("<os>", windowsDirectory, String::IgnoreCase);
    }
}

// Defaults are applied as the fields come, so that later ones see the
// product name as the run will use it.
int readNames(MemoryStream& in, const SettingsContext& context, SettingsBlock& out) {
    in.readU16(out.minStepTime);
    if (out.minStepTime > payload::kMaxMinStepTime) return 19;
    in.readU8(out.shortcutMode);
    in.readDateTime(out.buildTime);
    in.readText(out.publisher);
    in.readText(out.productName);
    if (context.productNameOverride && *context.productNameOverride) out.productName = context.productNameOverride;
    in.readText(out.sharedPath);
    defaultSharedPath(out);
    in.readText(out.productStartMenu);
    defaultStartMenu(out);
    in.readText(out.defaultInstallDir);
    defaultInstallDir(out, context.windowsDirectory);
    in.readText(out.displayVersion);
    in.readText(out.productRegistry);
    return 0;
}

int readPresentation(MemoryStream& in, SettingsBlock& out) {
    in.readI32(out.bitmapSize);
    if (out.bitmapSize < 0 || out.bitmapSize > payload::kMaxBitmapPercent) return 39;
    if (int code = readTextList(in, out.licenceTexts, 24)) return code;
    return readTextList(in, out.readmeTexts, 26);
}

int readUninstallNames(MemoryStream& in, SettingsBlock& out) {
    in.readText(out.uninstallSubdir);
    in.readText(out.volumeBaseName);
    if (out.volumeBaseName.isBlank()) return 21;
    in.readText(out.uninstallerName);
    in.readText(out.uninstallName);
    if (out.uninstallName.isBlank()) out.uninstallName = out.productName;
    return 0;
}

void readBackground(MemoryStream& in, SettingsBlock& out) {
    in.readU32(out.titleColor);
    in.readU8(out.titleShadow);
    in.readU32(out.topColor);
    in.readU32(out.bottomColor);
    int32_t length = 0;
    in.readI32(length);
    if (length > 0) in.readBytes((uint32_t)length, out.backgroundBitmap);
}

void readBatches(MemoryStream& in, SettingsBlock& out) {
    if (out.lowFlag(RequiresMasterProduct.bit)) {
        in.readText(out.masterProductName);
        if (out.masterProductName.isBlank()) out.masterProductName = out.productName;
    }
    in.readText(out.desktopFolder);
    in.readText(out.installBatchBefore);
    in.readText(out.installBatchAfter);
    in.readText(out.installBatchLast);
    in.readText(out.uninstallBatch1);
    in.readText(out.uninstallBatch2);
    in.skipReserved();
}

int readVolumesAndPatch(MemoryStream& in, const SettingsContext& context, SettingsBlock& out) {
    in.readU32(out.excludedSystems);
    in.readU8(out.dataInFile);
    in.readU32(out.firstVolumeId);
    if (!out.lowFlag(KeepUninstallRecord.bit)) return 0;
    in.readI32(out.uninstallerPatchOffset);
    if (out.uninstallerPatchOffset < 0 || (uint32_t)out.uninstallerPatchOffset > context.installerFileLength) {
        return 23;
    }
    if (out.uninstallerPatchOffset == 0) return 0;
    int32_t length = 0;
    in.readI32(length);
    if (length > 0) in.readBytes((uint32_t)length, out.uninstallerPatch);
    return 0;
}

// Records up to the terminator; a record read while the list is full is
// corrupt. A block that ends early reads empty specs and so fills the list.
int readFileDeletions(MemoryStream& in, SettingsBlock& out) {
    for (;;) {
        FileDeletion record;
        in.readText(record.spec);
        if (record.spec.equals(payload::kFileDeletionEnd)) return 0;
        if (out.fileDeletions.count() >= payload::kMaxFileDeletions) return 38;
        in.readU8(record.condition);
        in.readText(record.argument);
        in.readU32(record.flags);
        out.fileDeletions.append(moveValue(record));
    }
}

int readAssociations(MemoryStream& in, SettingsBlock& out) {
    int32_t count = 0;
    in.readI32(count);
    if (count < 0 || count > payload::kMaxAssociations) return 36;
    out.fileAssociations.resize(count);
    for (FileAssociation& a : out.fileAssociations) {
        in.readU32(a.flags);
        String* texts[] = {&a.extension, &a.typeName, &a.description, &a.verb,
                           &a.verbCaption, &a.command, &a.language, &a.icon};
        for (String* text : texts) in.readText(*text);
        if (!a.extension.startsWithChar('.')) a.extension.insertChar('.', 0);
    }
    return 0;
}

int readUninstallValues(MemoryStream& in, SettingsBlock& out) {
    int32_t count = 0;
    in.readI32(count);
    if (count < 0 || count > payload::kMaxUninstallValues) return 37;
    out.uninstallValues.resize(count);
    for (UninstallValue& v : out.uninstallValues) {
        in.readText(v.name);
        in.readU8(v.type);
        in.readText(v.value);
    }
    return 0;
}

int readLanguages(MemoryStream& in, SettingsBlock& out) {
    uint8_t languages = 0;
    in.readU8(languages);
    if (languages < 1 || languages > payload::kMaxLanguages) return 30;
    int32_t strings = 0;
    in.readI32(strings);
    if (strings < 1 || strings > payload::kMaxStrings) return 31;
    // Every text takes at least its zero byte and the end marker follows: a
    // block too short for that ends in the end-marker failure anyway, so the
    // table is not built for it.
    if (in.remaining() < (uint32_t)languages * (1 + (uint32_t)strings) + 4) return 32;
    out.languageTable.resize(languages);
    for (String& name : out.languageTable) in.readText(name);
    out.defaultLanguage = defaultLanguageOf(out.languageTable);
    out.stringTable.reset(strings, languages);
    for (int32_t id = 0; id < strings; ++id) {
        for (int32_t language = 0; language < languages; ++language) {
            String& text = *out.stringTable.entry(id, language);
            in.readText(text);
            text.normaliseLineEndings();
        }
    }
    return 0;
}

}  // namespace

void readProductFlags(MemoryStream& block, SettingsBlock& out) {
    block.readU32(out.productFlagsLow);
    block.readU32(out.productFlagsHigh);
}

int readSettingsRest(MemoryStream& in, const SettingsContext& context, SettingsBlock& out) {
    if (int code = readNames(in, context, out)) return code;
    if (int code = readPresentation(in, out)) return code;
    if (int code = readUninstallNames(in, out)) return code;
    readBackground(in, out);
    readBatches(in, out);
    if (int code = readVolumesAndPatch(in, context, out)) return code;
    if (int code = readFileDeletions(in, out)) return code;
    if (int code = readAssociations(in, out)) return code;
    if (int code = readUninstallValues(in, out)) return code;
    if (int code = readLanguages(in, out)) return code;
    uint32_t marker = 0;
    in.readU32(marker);
    return marker == payload::kEndMarker ? 0 : 32;
}
