// The Win32 side of failure reporting: message boxes, the pump and the exit.
#include <windows.h>

#include "core/path.h"
#include "core/system_paths.h"
#include "driver/failure.h"
#include "driver/failure_text.h"
#include "driver/run_settings.h"
#include "ui/localised_text.h"

void* ProgressWindow = nullptr;
void* BackgroundWindow = nullptr;

void* OwnerWindow() {
    if (ProgressWindow) return ProgressWindow;
    return BackgroundWindow;
}

bool PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        if (msg.message == WM_DESTROY || msg.message == WM_CLOSE || msg.message == WM_QUIT) return true;
    }
    return false;
}

void Shutdown() {
    if (ProgressWindow) {
        DestroyWindow((HWND)ProgressWindow);
        ProgressWindow = nullptr;
    }
    if (BackgroundWindow) {
        ShowWindow((HWND)BackgroundWindow, SW_MINIMIZE);
        DestroyWindow((HWND)BackgroundWindow);
        BackgroundWindow = nullptr;
    }
    PumpMessages();
    OleUninitialize();
    ExitProcess(1);
}

void FatalMessage(const char* text) {
    MessageBoxA((HWND)OwnerWindow(), text, "FATAL ERROR", MB_ICONSTOP | MB_OK | MB_TASKMODAL);
    Shutdown();
}

void ReportCorrupt(int code) {
    FatalMessage(corruptReportText(LocalisedText(13), code).text());
}

void UsageReport(const char* text) {
    FatalMessage(usageReportText(text, SystemPaths.programFileName.text()).text());
}

void ErrorMessageText(const char* text) {
    if (!errorMessageShown(text, AutomaticMode, ProductFlags.high)) return;
    const char* caption = LocalisedText(21);
    if (!*caption) caption = "Error";
    MessageBoxA((HWND)OwnerWindow(), text, caption, MB_ICONSTOP | MB_OK);
}

void AppendFailure(String& errorText, const char* name) {
    errorText += failureLines(LocalisedText(31), name, lastSystemErrorText().text());
}

void ShowWaitCursor() { SetCursor(LoadCursorA(nullptr, (LPCSTR)IDC_WAIT)); }

void ClearCursor() { SetCursor(nullptr); }

void BroadcastFontChange() { SendMessageA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0); }

// Marker words first, so that a reader of the report can find where the
// handler's own frame starts among the words that follow.
__attribute__((noinline)) void OutOfMemoryReport(size_t requested) {
    volatile uint32_t frame[2] = {0x11223344, 0x55667788};
    uint32_t words[80];
    const volatile uint32_t* p = (const volatile uint32_t*)(uintptr_t)frame;
    for (int i = 0; i < 80; ++i) words[i] = p[i];
    FatalMessage(outOfMemoryText((uint32_t)requested, words, 80).text());
}
