// Deleting and renaming files, now or at the next restart: the delayed move
// on the NT family, the [rename] section of wininit.ini on the 9x family
// (and on NT systems whose delayed move failed but that still run wininit).
#include <windows.h>

#include "core/file.h"
#include "core/file_system.h"
#include "core/file_system_rules.h"
#include "core/path.h"
#include "core/system_info.h"
#include "core/system_paths.h"
#include "core/wininit_text.h"

// MoveFileExA, looked up once on first need; null when missing.
static void* delayedMoveEntry = nullptr;
static bool delayedMoveLooked = false;

static bool delayedMove(const char* source, const char* destination, DWORD flags) {
    if (!delayedMoveLooked) {
        delayedMoveLooked = true;
        BindFunction("kernel32.dll", "MoveFileExA", delayedMoveEntry);
    }
    if (!delayedMoveEntry) return false;
    return asFunction<decltype(&::MoveFileExA)>(delayedMoveEntry)(source, destination, flags) != 0;
}

static bool wininitRuns() { return fileExists(joinPath(SystemPaths.windowsDirectory, "wininit.exe")); }

bool scheduleRenameAtRestart(const String& destination, const String& source) {
    SetLastError(NO_ERROR);
    if (destination.isBlank() || source.isBlank()) return false;
    File ini;
    if (ini.open(joinPath(SystemPaths.windowsDirectory, "wininit.ini"), ModeOpenAlways) != FileOpened) return false;
    String text;
    if (!ini.readAll(text) || !addRenameEntry(text, destination, source)) return false;
    return ini.rewrite(text);
}

bool deleteFile(const String& path, uint32_t flags) {
    if (path.isEmpty()) return false;
    setReadOnly(path, false);
    if (!(flags & DeleteAtRestart)) return DeleteFileA(path.text()) != 0;
    if (IsNtFamily()) {
        if (delayedMove(path.text(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return true;
        if (!wininitRuns()) return false;
    }
    return scheduleRenameAtRestart(String("NUL"), shortPathName(path));
}

bool moveFile(const String& source, const String& destination, uint32_t flags) {
    if (source.isBlank() || destination.isBlank()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (!fileExists(source)) return false;
    MoveNames names = compareMoveNames(source, destination);
    if (names == MoveSameName) return true;
    if (names == MoveOtherName) deleteFile(destination, 0);
    if (!(flags & MoveAtRestart)) return MoveFileA(source.text(), destination.text()) != 0;
    if (IsNtFamily()) {
        if (delayedMove(source.text(), destination.text(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT)) {
            return true;
        }
        DWORD error = GetLastError();
        bool fallback = wininitRuns();
        SetLastError(error);
        if (!fallback) return false;
    }
    return scheduleRenameAtRestart(shortPathName(destination), shortPathName(source));
}
