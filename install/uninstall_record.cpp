#include "install/uninstall_record.h"

#include "core/bytes.h"
#include "core/path.h"
#include "core/value_text.h"
#include "core/variant.h"

const int32_t UninstallStringIds[kUninstallStringIdCount] = {10, 15, 20, 30, 34, 35, 39, 49, 53, 55,
                                                             56, 57, 58, 59, 67, 68, 69, 70, 71};

const char UninstallRegistryFailureText[] =
    "Unable to save the uninstall information to the registry.  Uninstall will not work properly.\r\n\r\n";
const char UninstallerBackgroundName[] = "Installer Background.BMP";
const char UninstallKeyPath[] = "Microsoft\\Windows\\CurrentVersion\\Uninstall";

// Folder and key lines already in UninstallList, upper-cased.
static NameSet RecordedPaths(kUninstallSetSlots);

bool recordUninstallEntry(String& list, NameSet& seen, const String& path, int32_t kind) {
    if (path.length() <= 3) return false;
    if (kind != UninstallFileEntry) {
        String key = path;
        key.toUpper();
        if (!seen.insert(key, true)) return false;
        list.appendChar(kind == UninstallFolderEntry ? '~' : '!');
    }
    list.append(path);
    list.append("\r\n");
    return true;
}

void RecordForUninstall(const String& path, int32_t kind) {
    recordUninstallEntry(UninstallList, RecordedPaths, path, kind);
}

void ClearUninstallList() {
    UninstallList.clear();
    RecordedPaths.clear();
}

String UninstallDataPath() { return joinPath(UninstallDir, "Uninstall.DAT"); }

String uninstallDataText(const String& list, const String& associations, StringLookup lookup) {
    String text = list;
    text.append("\r\n\r\n[Strings]\r\n");
    for (int32_t id : UninstallStringIds) text.appendFormat("~%d\r\n%s\r\n", id, lookup(id));
    if (!associations.isEmpty()) {
        text.append("\r\n\r\n[Associations]\r\n");
        text.append(associations);
    }
    return text;
}

String productUninstallKey(const String& uninstallName) { return joinPath(UninstallKeyPath, uninstallName); }

bool UninstallRegistryValue::deletes() const {
    if (rule == AlwaysDelete) return true;
    if (rule != DropWhenEmpty) return false;
    return kind == UninstallNumber ? number == 0 : text.isEmpty();
}

String uninstallCommandLine(const String& uninstallerPath, const String& uninstallName) {
    return formatText("%s /u:\"%s\"", uninstallerPath, uninstallName);
}

String quietUninstallCommandLine(const String& uninstallerPath, const String& uninstallName) {
    return formatText("%s /a /u:\"%s\"", uninstallerPath, uninstallName);
}

// The minor number: an optional sign and digits right at `p`, no blanks.
static int32_t numberRightAt(const char* p) {
    if (*p == ' ' || *p == '\t') return 0;
    int64_t value = leadingInteger(p);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return int32_t(value);
}

bool versionNumbers(const String& displayVersion, int32_t& major, int32_t& minor) {
    int32_t point = displayVersion.findChar('.');
    if (point < 0) return false;
    major = displayVersion.toInteger();
    minor = numberRightAt(displayVersion.text() + point + 1);
    return true;
}

String productFlagsText(uint32_t low, uint32_t high) {
    return IntegerText(int64_t((uint64_t(high) << 32) | low));
}

String productFontsText(const Array<InstalledFont>& fonts) {
    String text;
    for (const InstalledFont& font : fonts) {
        if (font.recorded) text.appendFormat("\"%s\" \"%s\" ", font.name, font.fileName);
    }
    return text;
}

// --- The values, in the order the uninstaller's record has always had ---

static void addText(Array<UninstallRegistryValue>& out, const char* name, const String& text,
                    UninstallDropRule rule = KeepValue, UninstallValueKind kind = UninstallText) {
    UninstallRegistryValue value;
    value.name = name;
    value.kind = kind;
    value.rule = rule;
    value.text = text;
    out.append(moveValue(value));
}

static void addNumber(Array<UninstallRegistryValue>& out, const char* name, int32_t number,
                      UninstallDropRule rule = KeepValue) {
    UninstallRegistryValue value;
    value.name = name;
    value.kind = UninstallNumber;
    value.rule = rule;
    value.number = number;
    out.append(moveValue(value));
}

// A settings block value: type 2 an expandable text, type 4 a number, any
// other a text; each deleted when empty.
static void addExtraValue(Array<UninstallRegistryValue>& out, const UninstallValue& extra) {
    if (extra.type == 4) {
        Variant number;
        number.setText(extra.value);
        addNumber(out, extra.name.text(), int32_t(uint32_t(number.toInteger())), DropWhenEmpty);
        return;
    }
    addText(out, extra.name.text(), extra.value, DropWhenEmpty,
            extra.type == 2 ? UninstallExpandText : UninstallText);
}

static void addProductValues(const UninstallRecordInputs& in, Array<UninstallRegistryValue>& out) {
    addText(out, "UninstallString", uninstallCommandLine(in.uninstallerPath, in.uninstallName));
    addText(out, "QuietUninstallString", quietUninstallCommandLine(in.uninstallerPath, in.uninstallName));
    addText(out, "DisplayName", in.productName);
    addText(out, "InstallSource", in.installSource);
    addText(out, "DisplayVersion", in.displayVersion, DropWhenEmpty);
    addText(out, "Publisher", in.publisher, DropWhenEmpty);
    int32_t major = 0, minor = 0;
    if (versionNumbers(in.displayVersion, major, minor)) {
        addNumber(out, "VersionMajor", major);
        addNumber(out, "VersionMinor", minor);
    }
    addText(out, "ProductRegistry", in.productRegistry, DropWhenEmpty);
    addText(out, "ProductStartMenu", in.productStartMenu, DropWhenEmpty);
    addText(out, "SharedPath", in.sharedPath, DropWhenEmpty);
    addText(out, "ProductFonts", in.productFonts, DropWhenEmpty);
    addText(out, "ProductFlags", productFlagsText(in.productFlagsLow, in.productFlagsHigh));
    addText(out, "UninstallBatch1", in.uninstallBatch1, DropWhenEmpty);
    addText(out, "UninstallBatch2", in.uninstallBatch2, DropWhenEmpty);
    addText(out, "SharedFiles", in.sharedFiles, DropWhenEmpty);
    addText(out, "UninstallSubdir", in.uninstallSubdir, DropWhenEmpty);
    addNumber(out, "ShortcutMode", in.shortcutMode, DropWhenEmpty);
}

static void addBackgroundValues(const UninstallRecordInputs& in, Array<UninstallRegistryValue>& out) {
    bool oneColour = in.topColor == in.bottomColor;
    addText(out, "DisplayTitle", in.displayTitle);
    addNumber(out, "TitleColor", int32_t(in.titleColor));
    addNumber(out, "TopColor", int32_t(in.topColor));
    addNumber(out, "BottomColor", int32_t(in.bottomColor), oneColour ? AlwaysDelete : KeepValue);
    addNumber(out, "MonoColor", oneColour ? 1 : 0);
    addNumber(out, "TitleShadow", in.titleShadow);
    addNumber(out, "BitmapSize", in.bitmapSize);
}

void uninstallRegistryValues(const UninstallRecordInputs& inputs, Array<UninstallRegistryValue>& out) {
    addProductValues(inputs, out);
    addBackgroundValues(inputs, out);
    if (inputs.extraValues) {
        for (const UninstallValue& extra : *inputs.extraValues) addExtraValue(out, extra);
    }
    addText(out, "InstallLocation", inputs.installDir);
    addText(out, "InstallDate", inputs.installDate);
}

String bitmapFileBytes(const PackedBitmap& bitmap) {
    uint8_t header[kBitmapFileHeaderSize] = {'B', 'M'};
    writeLE32(header + 2, uint32_t(kBitmapFileHeaderSize + bitmap.data.length()));
    writeLE32(header + 10, uint32_t(kBitmapFileHeaderSize + bitmap.bitsOffset));
    String bytes(reinterpret_cast<const char*>(header), kBitmapFileHeaderSize);
    bytes.append(bitmap.data);
    return bytes;
}
