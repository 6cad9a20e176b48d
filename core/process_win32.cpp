// Starting programs: runProcess and the shell's default verb.
#include <windows.h>

#include "core/file_system.h"
#include "core/system_paths.h"
#include "driver/failure.h"

uint32_t runProcess(const String& commandLine, uint32_t flags, const String& directory) {
    if (commandLine.isEmpty()) return RunNotStarted;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (flags & RunHidden) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
    }
    PROCESS_INFORMATION process = {};
    String line = commandLine;  // CreateProcessA may write into the command line
    if (!CreateProcessA(nullptr, line.buffer(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                        directory.isEmpty() ? nullptr : directory.text(), &startup, &process)) {
        return RunNotStarted;
    }

    uint32_t result = RunNoExitCode;
    if (flags & RunWait) {
        // Short steps, so that the windows stay painted while the program runs.
        while (WaitForSingleObject(process.hProcess, 1) == WAIT_TIMEOUT) {
            if (flags & RunPumpMessages) PumpMessages();
        }
        DWORD exitCode = 0;
        if (GetExitCodeProcess(process.hProcess, &exitCode)) result = exitCode;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

bool shellOpen(const String& path) {
    if (path.isEmpty()) return false;
    HINSTANCE answer =
        ShellExecuteA(nullptr, nullptr, path.text(), nullptr, SystemPaths.programDirectory.text(), SW_SHOWNORMAL);
    return reinterpret_cast<uintptr_t>(answer) > 32;
}
