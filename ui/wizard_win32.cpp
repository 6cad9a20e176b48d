// The wizard's dialogs on Windows.
#include <windows.h>
#include <shlobj.h>

#include "driver/failure.h"
#include "driver/run_settings.h"
#include "ui/background.h"
#include "ui/dialog_ids.h"
#include "ui/localised_text.h"
#include "ui/progress.h"
#include "ui/wizard.h"
#include "ui/wizard_logic.h"

namespace {

int runDialog(const char* templateName, DLGPROC procedure, LPARAM parameter) {
    return (int)DialogBoxParamA((HINSTANCE)InstanceHandle, templateName, (HWND)BackgroundWindow, procedure,
                                parameter);
}

void setTexts(HWND dialog, const WizardTexts& texts) {
    SetDlgItemTextA(dialog, IDC_ACCEPT, LocalisedText(texts.accept));
    SetDlgItemTextA(dialog, IDC_DECLINE, LocalisedText(texts.decline));
    SetDlgItemTextA(dialog, IDC_HEADING, LocalisedText(texts.heading));
    SetWindowTextA(dialog, LocalisedText(texts.caption));
}

// --- Language -------------------------------------------------------------------

int32_t selectedEntry(HWND dialog) {
    return (int32_t)SendDlgItemMessageA(dialog, IDC_LANGUAGES, LB_GETCURSEL, 0, 0);
}

// The dialog's buttons and the background title follow the language at once.
void applyLanguage(HWND dialog, int32_t language) {
    CurrentLanguage = language;
    DisplayTitle = LocalisedText(kDisplayTitleText);
    SetDlgItemTextA(dialog, IDC_ACCEPT, LocalisedText(kLanguageAcceptText));
    SetDlgItemTextA(dialog, IDC_DECLINE, LocalisedText(kLanguageDeclineText));
    RepaintBackgroundWindow();
}

void initialiseLanguageDialog(HWND dialog) {
    for (const String& name : LanguageTable) {
        SendDlgItemMessageA(dialog, IDC_LANGUAGES, LB_ADDSTRING, 0, (LPARAM)name.text());
    }
    char localeName[256] = "";
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SLANGUAGE, localeName, sizeof localeName);
    int32_t first = preselectedLanguage(LanguageTable, localeName);
    SendDlgItemMessageA(dialog, IDC_LANGUAGES, LB_SETCURSEL, (WPARAM)first, 0);
    applyLanguage(dialog, first);
    CentreWindow(dialog);
}

INT_PTR CALLBACK languageProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        initialiseLanguageDialog(dialog);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    int32_t count = LanguageTable.count();
    WORD id = LOWORD(wParam), code = HIWORD(wParam);
    if (id == IDC_LANGUAGES && code == LBN_SELCHANGE) {
        int32_t selected = selectedEntry(dialog);
        if (selected >= 0 && selected < count) applyLanguage(dialog, selected);
    } else if (id == IDC_ACCEPT || (id == IDC_LANGUAGES && code == LBN_DBLCLK)) {
        CurrentLanguage = languageFromSelection(selectedEntry(dialog), count);
        EndDialog(dialog, kDialogAccepted);
    } else if (id == IDC_DECLINE) {
        EndDialog(dialog, kDialogDeclined);
    }
    return TRUE;
}

// --- Licence and readme --------------------------------------------------------

struct TextDialogParameters {
    const WizardTexts* texts;
    const char* text;
};

INT_PTR CALLBACK textProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const TextDialogParameters* parameters = (const TextDialogParameters*)lParam;
        SetDlgItemTextA(dialog, IDC_LONG_TEXT, parameters->text);
        setTexts(dialog, *parameters->texts);
        CentreWindow(dialog);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    WORD id = LOWORD(wParam);
    if (id == IDC_ACCEPT || id == IDC_DECLINE) EndDialog(dialog, id);
    return TRUE;
}

int runTextDialog(const char* templateName, const WizardTexts& texts, const char* text) {
    TextDialogParameters parameters = {&texts, text};
    return runDialog(templateName, textProcedure, (LPARAM)&parameters);
}

// --- Directory ---------------------------------------------------------------------

String directoryField(HWND dialog) {
    char text[kDirectoryFieldLimit + 1] = "";
    GetDlgItemTextA(dialog, IDC_DIRECTORY, text, sizeof text);
    return String(text);
}

void initialiseDirectoryDialog(HWND dialog) {
    CentreWindow(dialog);
    SetDlgItemTextA(dialog, IDC_HEADING, LocalisedText(kDirectoryTexts.heading));
    SetDlgItemTextA(dialog, IDC_DIRECTORY, InstallDir.text());
    SendDlgItemMessageA(dialog, IDC_DIRECTORY, EM_LIMITTEXT, kDirectoryFieldLimit, 0);
    setTexts(dialog, kDirectoryTexts);
    SetDlgItemTextA(dialog, IDC_BROWSE, LocalisedText(kBrowseButtonText));
}

INT_PTR CALLBACK directoryProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        initialiseDirectoryDialog(dialog);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
        case IDC_ACCEPT:
            InstallDir = directoryField(dialog);
            EndDialog(dialog, TRUE);
            break;
        case IDC_DECLINE:
            EndDialog(dialog, FALSE);
            break;
        case IDC_BROWSE: {
            String path = directoryField(dialog);
            if (BrowseForFolder(dialog, path)) SetDlgItemTextA(dialog, IDC_DIRECTORY, path.text());
            break;
        }
    }
    return TRUE;
}

// --- Folder browser -------------------------------------------------------------------

int CALLBACK browserCallback(HWND browser, UINT message, LPARAM, LPARAM startPath) {
    if (message == BFFM_INITIALIZED) {
        CentreWindow(browser);
        SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, startPath);
    }
    return 0;
}

void freeShellItem(LPITEMIDLIST item) {
    IMalloc* allocator = nullptr;
    if (item && SUCCEEDED(SHGetMalloc(&allocator)) && allocator) {
        allocator->Free(item);
        allocator->Release();
    }
}

}  // namespace

int RunLanguageDialog() { return runDialog("LanguageDlg", languageProcedure, 0); }

int RunLicenceDialog(const char* text) { return runTextDialog("LicenseDlg", kLicenceTexts, text); }

int RunReadmeDialog(const char* text) { return runTextDialog("ReadmeDlg", kReadmeTexts, text); }

bool ChooseDirectory() { return runDialog("ChooseDirDlg", directoryProcedure, 0) == TRUE; }

bool BrowseForFolder(void* owner, String& path) {
    LPITEMIDLIST root = nullptr;
    if (FAILED(SHGetSpecialFolderLocation((HWND)owner, CSIDL_DRIVES, &root)) || !root) return false;
    char displayName[MAX_PATH] = "";
    BROWSEINFOA info = {};
    info.hwndOwner = (HWND)owner;
    info.pidlRoot = root;
    info.pszDisplayName = displayName;
    info.lpszTitle = LocalisedText(kBrowserTitle);
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = browserCallback;
    info.lParam = (LPARAM)path.text();
    LPITEMIDLIST item = SHBrowseForFolderA(&info);
    char chosen[MAX_PATH] = "";
    bool found = item && SHGetPathFromIDListA(item, chosen);
    freeShellItem(item);
    freeShellItem(root);
    if (found) path = chosen;
    return found;
}
