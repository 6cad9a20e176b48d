/* Jotter: a small notes editor for Windows, the product that the example
 * installer installs. It edits plain-text notes (*.jot, UTF-8) in one window,
 * opens the note named on its command line (which is how the file
 * association starts it), writes in its own font "Jotter Mono" when that is
 * installed and opens its help file from the folder it runs in. */
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <stdlib.h>
#include <wchar.h>

#include "jotter_ids.h"

#define APP_NAME L"Jotter"
#define NOTE_FILTER L"Jotter notes (*.jot)\0*.jot\0All files (*.*)\0*.*\0"
#define HELP_FILE L"Jotter Help.html"
#define PREFERRED_FONT L"Jotter Mono"
#define FALLBACK_FONT L"Courier New"

static HWND g_window, g_edit;
static HFONT g_font;
static WCHAR g_path[MAX_PATH];

/* The whole file as UTF-16, zero-terminated; NULL when it cannot be read.
 * The caller frees the result. A UTF-8 byte-order mark is skipped. */
static WCHAR* readNote(const WCHAR* path) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) return NULL;
    DWORD size = GetFileSize(file, NULL), got = 0;
    char* bytes = size == INVALID_FILE_SIZE ? NULL : malloc(size + 1);
    BOOL ok = bytes && ReadFile(file, bytes, size, &got, NULL) && got == size;
    CloseHandle(file);
    if (!ok) {
        free(bytes);
        return NULL;
    }
    const char* text = bytes;
    int length = (int)size;
    if (length >= 3 && memcmp(text, "\xEF\xBB\xBF", 3) == 0) text += 3, length -= 3;
    int wide = MultiByteToWideChar(CP_UTF8, 0, text, length, NULL, 0);
    WCHAR* out = malloc((wide + 1) * sizeof(WCHAR));
    if (out) out[MultiByteToWideChar(CP_UTF8, 0, text, length, out, wide)] = 0;
    free(bytes);
    return out;
}

static BOOL writeNote(const WCHAR* path, const WCHAR* text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, NULL, 0, NULL, NULL);
    char* bytes = malloc(size > 0 ? size : 1);
    if (!bytes) return FALSE;
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, size, NULL, NULL);
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    BOOL ok = file != INVALID_HANDLE_VALUE && WriteFile(file, bytes, (DWORD)(size - 1), &written, NULL) &&
              written == (DWORD)(size - 1);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    free(bytes);
    return ok;
}

static void updateTitle(void) {
    WCHAR title[MAX_PATH + 32];
    const WCHAR* name = g_path[0] ? wcsrchr(g_path, L'\\') : NULL;
    name = name ? name + 1 : g_path[0] ? g_path : L"Untitled";
    BOOL modified = (BOOL)SendMessageW(g_edit, EM_GETMODIFY, 0, 0);
    wsprintfW(title, L"%s%s - " APP_NAME, modified ? L"*" : L"", name);
    SetWindowTextW(g_window, title);
}

static void showError(const WCHAR* what, const WCHAR* path) {
    WCHAR text[MAX_PATH + 64];
    wsprintfW(text, L"%s\n%s", what, path);
    MessageBoxW(g_window, text, APP_NAME, MB_OK | MB_ICONERROR);
}

static BOOL openPath(const WCHAR* path) {
    WCHAR* text = readNote(path);
    if (!text) {
        showError(L"Cannot read the note:", path);
        return FALSE;
    }
    SetWindowTextW(g_edit, text);
    free(text);
    SendMessageW(g_edit, EM_SETMODIFY, FALSE, 0);
    lstrcpynW(g_path, path, MAX_PATH);
    updateTitle();
    return TRUE;
}

static BOOL savePath(const WCHAR* path) {
    int length = GetWindowTextLengthW(g_edit);
    WCHAR* text = malloc((length + 1) * sizeof(WCHAR));
    if (!text) return FALSE;
    GetWindowTextW(g_edit, text, length + 1);
    BOOL ok = writeNote(path, text);
    free(text);
    if (!ok) {
        showError(L"Cannot save the note:", path);
        return FALSE;
    }
    SendMessageW(g_edit, EM_SETMODIFY, FALSE, 0);
    if (path != g_path) lstrcpynW(g_path, path, MAX_PATH);
    updateTitle();
    return TRUE;
}

/* Asks for a file name with the common dialog; saving adds ".jot". */
static BOOL choosePath(BOOL saving, WCHAR* path) {
    OPENFILENAMEW ofn;
    ZeroMemory(&ofn, sizeof ofn);
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = g_window;
    ofn.lpstrFilter = NOTE_FILTER;
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrDefExt = L"jot";
    ofn.Flags = saving ? OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST : OFN_FILEMUSTEXIST;
    return saving ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
}

static BOOL saveAs(void) {
    WCHAR path[MAX_PATH];
    lstrcpynW(path, g_path, MAX_PATH);
    return choosePath(TRUE, path) && savePath(path);
}

/* True when the current note may be dropped: saved, unchanged or given up. */
static BOOL mayDiscard(void) {
    if (!SendMessageW(g_edit, EM_GETMODIFY, 0, 0)) return TRUE;
    int answer = MessageBoxW(g_window, L"Save the changes to this note?", APP_NAME, MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDCANCEL) return FALSE;
    if (answer == IDNO) return TRUE;
    return g_path[0] ? savePath(g_path) : saveAs();
}

static void openHelp(void) {
    WCHAR path[MAX_PATH];
    DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH);
    WCHAR* slash = length ? wcsrchr(path, L'\\') : NULL;
    if (!slash || (size_t)(slash - path) + 1 + wcslen(HELP_FILE) >= MAX_PATH) return;
    lstrcpyW(slash + 1, HELP_FILE);
    if ((INT_PTR)ShellExecuteW(g_window, L"open", path, NULL, NULL, SW_SHOWNORMAL) <= 32)
        showError(L"Cannot open the help file:", path);
}

static int CALLBACK fontFound(const LOGFONTW* font, const TEXTMETRICW* metric, DWORD type, LPARAM found) {
    (void)font, (void)metric, (void)type;
    *(BOOL*)found = TRUE;
    return 0;
}

static HFONT makeFont(HWND window) {
    HDC dc = GetDC(window);
    BOOL installed = FALSE;
    LOGFONTW wanted;
    ZeroMemory(&wanted, sizeof wanted);
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpyW(wanted.lfFaceName, PREFERRED_FONT);
    EnumFontFamiliesExW(dc, &wanted, fontFound, (LPARAM)&installed, 0);
    int height = -MulDiv(11, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(window, dc);
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN,
                       installed ? PREFERRED_FONT : FALLBACK_FONT);
}

static void onCommand(WORD id) {
    WCHAR path[MAX_PATH] = L"";
    switch (id) {
        case IDM_NEW:
            if (!mayDiscard()) break;
            SetWindowTextW(g_edit, L"");
            SendMessageW(g_edit, EM_SETMODIFY, FALSE, 0);
            g_path[0] = 0;
            updateTitle();
            break;
        case IDM_OPEN:
            if (mayDiscard() && choosePath(FALSE, path)) openPath(path);
            break;
        case IDM_SAVE:
            if (g_path[0]) savePath(g_path);
            else saveAs();
            break;
        case IDM_SAVE_AS: saveAs(); break;
        case IDM_EXIT: SendMessageW(g_window, WM_CLOSE, 0, 0); break;
        case IDM_HELP: openHelp(); break;
        case IDM_ABOUT:
            MessageBoxW(g_window, APP_NAME L" " JOTTER_VERSION_TEXT L"\nA small notes editor.\n\n"
                        L"Example Software", L"About " APP_NAME, MB_OK | MB_ICONINFORMATION);
            break;
    }
}

static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            g_edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                     WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                                         ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN,
                                     0, 0, 0, 0, window, (HMENU)(INT_PTR)IDC_NOTE, NULL, NULL);
            g_font = makeFont(window);
            SendMessageW(g_edit, WM_SETFONT, (WPARAM)g_font, FALSE);
            return g_edit ? 0 : -1;
        case WM_SIZE: MoveWindow(g_edit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE); return 0;
        case WM_SETFOCUS: SetFocus(g_edit); return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_NOTE && HIWORD(wParam) == EN_CHANGE) updateTitle();
            else onCommand(LOWORD(wParam));
            return 0;
        case WM_CLOSE:
            if (mayDiscard()) DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            DeleteObject(g_font);
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int show) {
    (void)previous, (void)commandLine;
    WNDCLASSW wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = windowProcedure;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_JOTTER));
    wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszMenuName = MAKEINTRESOURCEW(IDR_MENU);
    wc.lpszClassName = L"JotterWindow";
    if (!RegisterClassW(&wc)) return 1;
    g_window = CreateWindowExW(0, wc.lpszClassName, APP_NAME, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                               640, 480, NULL, NULL, instance, NULL);
    if (!g_window) return 1;
    HACCEL keys = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_KEYS));

    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv && argc > 1) openPath(argv[1]);
    else updateTitle();
    LocalFree(argv);

    ShowWindow(g_window, show);
    UpdateWindow(g_window);
    MSG message;
    while (GetMessageW(&message, NULL, 0, 0) > 0) {
        if (TranslateAcceleratorW(g_window, keys, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return (int)message.wParam;
}
