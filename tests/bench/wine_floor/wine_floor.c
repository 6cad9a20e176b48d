/* Wine's floor for the memory figure: a program that does what an
   installation does besides installing (the same system libraries, common
   controls, a gradient, a window with a text and a progress bar) and nothing
   else. Its peak working set under Wine is what any such program costs there,
   so scripts/figures.sh counts the installer's memory above it. */
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR line, int show) {
    char folder[MAX_PATH];
    HKEY key;
    CoInitialize(NULL);
    SHGetFolderPathA(NULL, CSIDL_PROGRAM_FILES, NULL, 0, folder);
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key) == ERROR_SUCCESS) RegCloseKey(key);
    InitCommonControls();

    HWND window = CreateWindowExA(0, "STATIC", "Installing", WS_POPUP | WS_VISIBLE, 0, 0, 400, 120,
                                  NULL, NULL, instance, NULL);
    HWND bar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 10, 60, 380, 20, window,
                               NULL, instance, NULL);
    SendMessageA(bar, PBM_SETPOS, 50, 0);
    HDC dc = GetDC(window);
    TRIVERTEX corners[2] = {{0, 0, 0, 0, 0xFF00, 0}, {400, 120, 0, 0, 0x8000, 0}};
    GRADIENT_RECT rect = {0, 1};
    GradientFill(dc, corners, 2, &rect, 1, GRADIENT_FILL_RECT_V);
    ReleaseDC(window, dc);
    UpdateWindow(window);
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    DestroyWindow(window);
    CoUninitialize();
    return 0;
}
