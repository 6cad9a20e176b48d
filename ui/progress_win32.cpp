// The progress dialog on Windows.
#include <windows.h>
#include <commctrl.h>

#include "core/system_info.h"
#include "driver/failure.h"
#include "driver/run_settings.h"
#include "ui/background_layout.h"
#include "ui/dialog_ids.h"
#include "ui/localised_text.h"
#include "ui/progress.h"
#include "ui/progress_logic.h"

namespace {

HWND progressBar = nullptr;
uint32_t statusClock = 0;

HWND progressDialog() { return (HWND)ProgressWindow; }

// The bar covers the frame control, which only marks its place.
void createBar(HWND dialog) {
    HWND frame = GetDlgItem(dialog, IDC_BAR_FRAME);
    RECT r;
    if (!frame || !GetWindowRect(frame, &r)) return;
    MapWindowPoints(nullptr, dialog, (POINT*)&r, 2);
    BarPlacement bar = barOverFrame(r.left, r.top, r.right, r.bottom);
    progressBar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, bar.x, bar.y, bar.width,
                                  bar.height, dialog, nullptr, (HINSTANCE)InstanceHandle, nullptr);
    // New children go below their siblings; the bar must lie over the frame.
    if (progressBar) SetWindowPos(progressBar, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void initialiseDialog(HWND dialog) {
    CentreWindow(dialog);
    createBar(dialog);
    ProgressWording wording = progressWording(UninstallMode);
    SetDlgItemTextA(dialog, IDC_DECLINE, LocalisedText(wording.cancelButton));
    EnableWindow(GetDlgItem(dialog, IDC_DECLINE), cancelButtonEnabled(UninstallMode, ProductFlags.low));
}

INT_PTR CALLBACK progressProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        initialiseDialog(dialog);
        return TRUE;
    }
    // Only a click that comes from the button itself (an accelerator without
    // a control carries none) may cancel.
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_DECLINE && lParam != 0) {
        if (cancelClickAsks(ProductFlags.low)) ConfirmCancel();
        return TRUE;
    }
    return FALSE;
}

class SystemHold final : public StatusHoldHost {
public:
    uint32_t tickCount() override { return GetTickCount(); }
    bool pumpMessages() override { return PumpMessages(); }
    void sleep(uint32_t milliseconds) override { Sleep(milliseconds); }
};

}  // namespace

void ShowProgressDialog() {
    // The bar's class lives in the common controls, which must be loaded:
    // from the system directory, since they are no known system library.
    void* initEntry = nullptr;
    if (BindFunction("comctl32.dll", "InitCommonControls", initEntry)) {
        asFunction<decltype(&::InitCommonControls)>(initEntry)();
    }
    HWND dialog = CreateDialogParamA((HINSTANCE)InstanceHandle, "ProgressDlg", (HWND)BackgroundWindow,
                                     progressProcedure, 0);
    ProgressWindow = dialog;
    if (!dialog) return;
    ProgressWording wording = progressWording(UninstallMode);
    SetWindowTextA(dialog, LocalisedText(wording.caption));
    SetDlgItemTextA(dialog, IDC_HEADING, LocalisedText(wording.heading));
}

void CloseProgressDialog() {
    if (progressDialog()) DestroyWindow(progressDialog());
    ProgressWindow = nullptr;
    progressBar = nullptr;
}

bool SetProgressText(const char* text) {
    if (HWND dialog = progressDialog()) {
        SetDlgItemTextA(dialog, IDC_STATUS, text);
        RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
    return PumpMessages();
}

bool SetProgressPercent(int percent) {
    if (progressDialog() && progressBar) PostMessageA(progressBar, PBM_SETPOS, (WPARAM)percent, 0);
    return PumpMessages();
}

void RestartStatusClock() { statusClock = GetTickCount(); }

void SetProgressStatus(int stringId, int percent) {
    RestartStatusClock();
    SetProgressText(LocalisedText(stringId));
    SetProgressPercent(percent);
}

void HoldStatus(uint32_t milliseconds) {
    SystemHold host;
    holdStatusLine(host, statusClock, milliseconds, AutomaticMode);
}

void ConfirmCancel() {
    int answer = MessageBoxA((HWND)OwnerWindow(), LocalisedText(28), LocalisedText(20), MB_YESNO | MB_ICONQUESTION);
    if (answer == IDYES) Shutdown();
}

void CentreWindow(void* window) {
    RECT r;
    if (!GetWindowRect((HWND)window, &r)) return;
    WindowPlacement p = centredPlacement(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                         r.right - r.left, r.bottom - r.top);
    MoveWindow((HWND)window, p.x, p.y, p.width, p.height, FALSE);
}
