/* Opens a file the way a double-click in Explorer does (the shell's default
 * verb, through the file association), waits for a top-level window whose
 * title holds TEXT, prints that title and closes the window again. Used by
 * scripts/run-example.sh and the end-to-end test to see that a note comes up
 * in Jotter; not part of the product.
 *   open_note.exe FILE TEXT
 * Exit code: 0 the window came and was closed, 1 no such window within 20 s,
 * 2 bad usage, 3 the shell could not open the file. */
#include <windows.h>
#include <shellapi.h>
#include <stdio.h>
#include <string.h>

struct Search {
    const char* text;
    HWND window;
};

static BOOL CALLBACK visit(HWND window, LPARAM data) {
    struct Search* search = (struct Search*)data;
    char title[512];
    if (IsWindowVisible(window) && GetWindowTextA(window, title, sizeof title) > 0 && strstr(title, search->text)) {
        printf("%s\n", title);
        search->window = window;
        return FALSE;
    }
    return TRUE;
}

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    if ((INT_PTR)ShellExecuteA(NULL, NULL, argv[1], NULL, NULL, SW_SHOWNORMAL) <= 32) return 3;
    struct Search search = {argv[2], NULL};
    for (int i = 0; i < 200 && !search.window; ++i) {
        Sleep(100);
        EnumWindows(visit, (LPARAM)&search);
    }
    if (!search.window) return 1;
    DWORD process = 0;
    GetWindowThreadProcessId(search.window, &process);
    HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, process);
    PostMessageA(search.window, WM_CLOSE, 0, 0);
    if (handle) {
        WaitForSingleObject(handle, 10000);
        CloseHandle(handle);
    }
    return 0;
}
