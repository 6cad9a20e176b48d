// Starts the self-removal batch and leaves it running: it waits for this
// process to end, so nothing here may wait for it.
#include <windows.h>

#include "core/file.h"
#include "core/system_paths.h"
#include "driver/run_settings.h"
#include "uninstall/self_removal.h"

int32_t RemoveUninstaller() {
    String text = selfRemovalBatchText(SystemPaths.programPath, InstallDir, RecordUninstallSubdir);
    if (!writeWholeFile(String(SelfRemovalBatchPath), text)) return SelfRemovalNotWritten;

    String program = interpreterProgram(SystemPaths.commandInterpreter);
    String commandLine = selfRemovalCommandLine(SystemPaths.commandInterpreter);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMINNOACTIVE;
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof process);
    if (!CreateProcessA(program.text(), commandLine.buffer(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                        nullptr, &startup, &process)) {
        return SelfRemovalNotStarted;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return SelfRemovalStarted;
}
