// The stub's entry point. It is entered straight from the loader (no C runtime
// start-up), so it fetches its own instance handle and argument text.
#include <windows.h>

#include "core/system_paths.h"
#include "driver/command_line.h"
#include "driver/failure.h"
#include "driver/run_settings.h"
#include "payload/payload_open.h"

namespace {

void applyOptions(const CommandLineOptions& options) {
    AutomaticMode = options.automaticMode;
    UninstallMode = options.uninstallMode;
    InstallDir = options.installDir;
    ProductName = options.productName;
    UninstallName = options.uninstallName;
    RunAfterInstall = options.runAfterInstall;
}

}  // namespace

extern "C" void TavoEntry() {
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
        // The uninstaller arrives with its own module; until then there is
        // nothing to undo.
        Shutdown();
    }

    InstallSource = installSourceFrom(fullCommandLine);
    PayloadLocation payload;
    OpenPayload(InstallSource.text(), payload);
    // The install sequence starts here once the payload reader exists.
    Shutdown();
}
