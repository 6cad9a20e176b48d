// The stub's entry point. It is entered straight from the loader (no C runtime
// start-up), so it fetches its own instance handle and argument text.
#include <windows.h>

#include <stdlib.h>

#include "core/system_info.h"
#include "core/system_paths.h"
#include "driver/command_line.h"
#include "driver/failure.h"
#include "driver/install_sequence.h"
#include "driver/run_settings.h"
#include "payload/format.h"
#include "payload/payload_open.h"
#include "ui/background.h"
#include "uninstall/self_removal.h"
#include "uninstall/uninstall_product.h"

namespace {

void applyOptions(const CommandLineOptions& options) {
    AutomaticMode = options.automaticMode;
    UninstallMode = options.uninstallMode;
    InstallDir = options.installDir;
    ProductName = options.productName;
    UninstallName = options.uninstallName;
    RunAfterInstall = options.runAfterInstall;
}

// The option word comes first: the run reacts to it before the block's
// checksum is tested and the rest is read.
void readPayloadSettings() {
    ReadPayloadHeader(InstallerPayload, PayloadHeaderFields);
    uint8_t* block = nullptr;
    int32_t size = 0;
    TakeSettingsBlock(InstallerPayload, PayloadHeaderFields, block, size);
    MemoryStream stream(block, (uint32_t)size);
    readProductFlags(stream, PayloadSettings);
    applyProductFlags(PayloadSettings);
    OpenBackgroundWindow(PayloadSettings.productFlagsLow, PayloadSettings.productFlagsHigh, InstanceHandle);
    if (int code = settingsChecksumCode(block, size, PayloadHeaderFields.scrambleKey)) ReportCorrupt(code);

    SettingsContext context;
    context.productNameOverride = ProductName.text();
    context.windowsDirectory = SystemPaths.windowsDirectory.text();
    context.installerFileLength = InstallerPayload.fileLength;
    int code = readSettingsRest(stream, context, PayloadSettings);
    free(block);
    // The string table comes before the end marker, so a bad marker is
    // reported in the payload's own words; earlier faults leave it empty.
    applySettingsBlock(PayloadSettings);
    if (code) ReportCorrupt(code);
    takeBackgroundSettings(PayloadSettings);
}

void buildStubImage() {
    StubImageSettings settings;
    settings.testStubChecksum = PayloadSettings.highFlag(payload::flag::CheckStubChecksum.bit);
    settings.stubChecksum = PayloadHeaderFields.stubChecksum;
    settings.patchOffset = PayloadSettings.uninstallerPatchOffset;
    settings.patch = &PayloadSettings.uninstallerPatch;
    BuildStubImage(InstallerPayload, settings, StubImage);
}

}  // namespace

extern "C" void TavoEntry() {
    NarrowLibrarySearch();
    initSystemPaths();
    OleInitialize(nullptr);
    InstanceHandle = GetModuleHandleA(nullptr);
    const char* fullCommandLine = GetCommandLineA();

    CommandLineOptions options;
    String usageError;
    if (!parseCommandLine(argumentTextFrom(fullCommandLine), options, usageError)) {
        UsageReport(usageError.text());
    }
    applyOptions(options);

    if (UninstallMode) {
        if (UninstallProduct(UninstallName)) RemoveUninstaller();
        Shutdown();
    }

    InstallSource = installSourceFrom(fullCommandLine);
    OpenPayload(InstallSource.text(), InstallerPayload);
    readPayloadSettings();
    buildStubImage();
    RunInstallSequence();
    Shutdown();
}
