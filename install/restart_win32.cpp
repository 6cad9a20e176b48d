// Ending the session, with the shutdown privilege that the NT family asks for.
#include <windows.h>

#include "core/system_info.h"
#include "install/later_actions.h"
#include "install/restart.h"

namespace {

// Looked up once; each may stay null on a system without it (the 9x family).
bool TokenFunctionsLooked = false;
void* OpenProcessTokenEntry = nullptr;
void* LookupPrivilegeValueEntry = nullptr;
void* AdjustTokenPrivilegesEntry = nullptr;

bool bindTokenFunctions() {
    if (TokenFunctionsLooked) return true;
    TokenFunctionsLooked = true;
    const FunctionTableEntry table[] = {
        {"OpenProcessToken", &OpenProcessTokenEntry, true},
        {"LookupPrivilegeValueA", &LookupPrivilegeValueEntry, true},
        {"AdjustTokenPrivileges", &AdjustTokenPrivilegesEntry, true},
        {nullptr, nullptr, false},
    };
    return BindFunctions("advapi32.dll", table);
}

}  // namespace

void SetShutdownPrivilege(bool enable) {
    if (!bindTokenFunctions()) return;
    if (!OpenProcessTokenEntry || !LookupPrivilegeValueEntry || !AdjustTokenPrivilegesEntry) return;
    HANDLE token;
    if (!asFunction<decltype(&::OpenProcessToken)>(OpenProcessTokenEntry)(
            GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        return;
    }
    TOKEN_PRIVILEGES privileges;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (asFunction<decltype(&::LookupPrivilegeValueA)>(LookupPrivilegeValueEntry)(
            nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
        // Dropping uses the disable-all argument, as the privilege was not held before.
        asFunction<decltype(&::AdjustTokenPrivileges)>(AdjustTokenPrivilegesEntry)(token, enable ? FALSE : TRUE,
                                                                                    &privileges, 0, nullptr, nullptr);
    }
    CloseHandle(token);
}

bool RestartSystem(int32_t action, uint32_t options) {
    uint32_t flags = restartFlagsFor(action, options);
    SetShutdownPrivilege(true);
    bool accepted = ExitWindowsEx(flags, 0) != FALSE;
    SetShutdownPrivilege(false);
    return accepted;
}
