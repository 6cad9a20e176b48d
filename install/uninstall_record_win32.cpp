// The uninstall record on Windows: the run's settings gathered into the
// layouts of install/uninstall_record.cpp and written to the registry and
// the uninstaller directory.
#include "core/clock.h"
#include "core/file.h"
#include "core/path.h"
#include "core/registry.h"
#include "driver/run_settings.h"
#include "install/directory_variables.h"
#include "install/file_body.h"
#include "install/uninstall_record.h"
#include "payload/format.h"
#include "ui/background.h"
#include "ui/localised_text.h"

static bool lowFlag(const payload::FlagBit& flag) { return (ProductFlags.low & flag.bit) != 0; }

void ReadPreviousRecord() {
    PreviousRecord = PreviousInstallation();
    Registry registry;
    if (registry.openSoftware(productUninstallKey(UninstallName).text(), false, RegOpenOnly) == RegOpenFailed) return;
    registry.readString(PreviousRecord.installLocation, "InstallLocation", "", 0);
    registry.readString(PreviousRecord.displayVersion, "DisplayVersion", "", 0);
    registry.readString(PreviousRecord.sharedFiles, "SharedFiles", "", 0);
    registry.close();
}

void SaveBackgroundForUninstaller() {
    if (!lowFlag(payload::flag::KeepBackgroundBitmap) || BackgroundBitmap.isEmpty()) return;
    String path = joinPath(UninstallDir, UninstallerBackgroundName);
    writeWholeFile(path, bitmapFileBytes(BackgroundBitmap));
    RecordForUninstall(path, UninstallFileEntry);
}

// The settings block's extra values, their texts with the directory
// variables expanded (the names stay as they are).
static Vector<UninstallValue> expandedExtraValues() {
    Vector<UninstallValue> values = PayloadSettings.uninstallValues;
    for (UninstallValue& value : values) ExpandDirectoryVariables(value.value);
    return values;
}

static void gatherInputs(UninstallRecordInputs& in, const Vector<UninstallValue>& extraValues) {
    const SettingsBlock& block = PayloadSettings;
    in.uninstallerPath = UninstallerPath;
    in.uninstallName = UninstallName;
    in.productName = ProductName;
    in.installSource = InstallSource;
    in.displayVersion = block.displayVersion;
    in.publisher = block.publisher;
    in.productRegistry = block.productRegistry;
    in.productStartMenu = block.productStartMenu;
    in.sharedPath = SharedDir;
    in.productFonts = productFontsText(InstalledFonts);
    in.productFlagsLow = ProductFlags.low;
    in.productFlagsHigh = ProductFlags.high;
    in.uninstallBatch1 = block.uninstallBatch1;
    in.uninstallBatch2 = block.uninstallBatch2;
    in.sharedFiles = SharedFilesText;
    in.uninstallSubdir = block.uninstallSubdir;
    in.shortcutMode = block.shortcutMode;
    in.displayTitle = DisplayTitle;
    in.titleColor = TitleColor;
    in.topColor = TopColor;
    in.bottomColor = BottomColor;
    in.titleShadow = TitleShadow;
    in.bitmapSize = BitmapSize;
    in.extraValues = &extraValues;
    in.installDir = InstallDir;
    in.installDate = FormatNow(DefaultTimestampPattern);
}

// Writes the values into the product's key; false when the key cannot be
// opened or the uninstall string does not read back as written.
static bool writeProductKey(const Array<UninstallRegistryValue>& values) {
    Registry registry;
    if (registry.openSoftware(productUninstallKey(UninstallName).text(), false, 0) == RegOpenFailed) return false;
    writeUninstallValues(registry, values);
    String written;
    registry.readString(written, "UninstallString", "", 0);
    registry.close();
    return written.equals(uninstallCommandLine(UninstallerPath, UninstallName));
}

void WriteUninstallRecord() {
    WriteFileBody(UninstallerPath, reinterpret_cast<const uint8_t*>(StubImage.text()), StubImage.length(),
                  PayloadSettings.buildTime, ProblemReport, 0, true);
    Vector<UninstallValue> extraValues = expandedExtraValues();
    UninstallRecordInputs inputs;
    gatherInputs(inputs, extraValues);
    Array<UninstallRegistryValue> values;
    uninstallRegistryValues(inputs, values);
    if (!writeProductKey(values)) ProblemReport.append(UninstallRegistryFailureText);
}

bool WriteUninstallData() {
    return writeWholeFile(UninstallDataPath(), uninstallDataText(UninstallList, AssociationList, LocalisedText));
}
