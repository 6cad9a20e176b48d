// ui_demo.exe: the stub's user interface modules with fixed settings and
// texts, for the end-to-end tests. Each mode shows one part and ends with a
// "ui_demo result" message box whose text says what the part handed back,
// so that the robot's transcript carries it; a run ended by Shutdown exits
// with code 1 and shows no result.
//
//   ui_demo.exe language      - background window + language dialog
//                               (Deutsch, English, Francais)
//   ui_demo.exe licence       - licence dialog
//   ui_demo.exe readme        - readme dialog
//   ui_demo.exe directory     - the directory dialog, repeated while the
//                               accepted text is blank (at most 5 times)
//   ui_demo.exe progress      - progress dialog, installing, for about 5 s
//   ui_demo.exe uninstall     - progress dialog, uninstalling, briefly
//   ui_demo.exe background    - background window and bitmap files
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "core/containers.h"
#include "core/system_paths.h"
#include "driver/failure.h"
#include "driver/run_settings.h"
#include "ui/background.h"
#include "ui/dialog_ids.h"
#include "ui/localised_text.h"
#include "ui/progress.h"
#include "ui/wizard.h"

namespace {

struct Text {
    int id;
    const char* perLanguage[3];
};

// The payload's texts as a builder would ship them, in three languages.
const Text kTexts[] = {
    {0, {"Demo-Installation", "Demo Setup", "Installation de Demo"}},
    {8, {"Start", "Starting", "Debut"}},
    {11, {"Zielordner:", "Install to:", "Dossier:"}},
    {20, {"Frage", "Question", "Question"}},
    {24, {"Zielordner", "Installation Directory", "Dossier"}},
    {28, {"Wirklich abbrechen?", "Really stop the installation?", "Vraiment arreter?"}},
    {39, {"Installiere", "Installing Demo", "Installation"}},
    {44, {"Lizenz", "Licence Agreement", "Licence"}},
    {45, {"Annehmen", "I Agree", "J'accepte"}},
    {46, {"Ablehnen", "I Decline", "Je refuse"}},
    {47, {"Bitte lesen", "Please read the licence", "Lisez"}},
    {48, {"Weiter", "Next", "Suivant"}},
    {49, {"Abbrechen", "Cancel", "Annuler"}},
    {50, {"Liesmich", "Read Me", "Lisez-moi"}},
    {51, {"Hinweise", "Notes on this version", "Notes"}},
    {52, {"Durchsuchen", "Browse...", "Parcourir"}},
    {54, {"Demo-Installation", "Demo Setup", "Installation de Demo"}},
    {55, {"Demo entfernen", "Demo Removal", "Desinstallation"}},
    {71, {"Entferne", "Removing Demo", "Suppression"}},
};
const char* const kLanguages[] = {"Deutsch", "English", "Francais"};

void installTexts() {
    Vector<String> names;
    for (const char* name : kLanguages) names.append(String(name));
    TextTable table;
    table.reset(72, 3);
    for (const Text& text : kTexts) {
        for (int language = 0; language < 3; ++language) *table.entry(text.id, language) = text.perLanguage[language];
    }
    InstallLocalisedTexts(moveValue(names), moveValue(table));
}

void report(const String& text) { MessageBoxA((HWND)OwnerWindow(), text.text(), "ui_demo result", MB_OK); }

void showBackground() {
    TopColor = 0x804000;
    BottomColor = 0x000000;
    TitleColor = 0xFFFFFF;
    TitleShadow = 2;
    OpenBackgroundWindow(0, 0, InstanceHandle);
}

int languageMode() {
    showBackground();
    int result = RunLanguageDialog();
    report(formatText("result=%d language=%d title=%s", result, CurrentLanguage, DisplayTitle));
    return 0;
}

int textMode(bool licence) {
    showBackground();
    const char* text = licence ? "You may use this demo.\r\nSecond line of the licence." : "Nothing to read.";
    int result = licence ? RunLicenceDialog(text) : RunReadmeDialog(text);
    report(formatText("result=%d", result));
    return 0;
}

// As the install sequence does it: ask again while the text is blank.
int directoryMode() {
    showBackground();
    InstallDir = "C:\\Program Files\\Demo";
    int dialogs = 0;
    bool accepted = false;
    do {
        accepted = ChooseDirectory();
        ++dialogs;
        String trimmed = InstallDir;
        trimmed.trim();
        if (!accepted || !trimmed.isEmpty()) break;
    } while (dialogs < 5);
    report(formatText("accepted=%d dialogs=%d dir=[%s]", accepted ? 1 : 0, dialogs, InstallDir));
    return 0;
}

String statusLine() {
    char text[512] = "";
    if (ProgressWindow) GetDlgItemTextA((HWND)ProgressWindow, IDC_STATUS, text, sizeof text);
    return String(text);
}

bool cancelEnabled() {
    return ProgressWindow && IsWindowEnabled(GetDlgItem((HWND)ProgressWindow, IDC_DECLINE));
}

int progressMode(bool uninstalling, DWORD runMs) {
    UninstallMode = uninstalling;
    showBackground();
    ShowProgressDialog();
    SetProgressStatus(8, 2);
    HoldStatus(200);
    SetProgressText("Copying 100% of %s");
    DWORD start = GetTickCount();
    for (int percent = 3; GetTickCount() - start < runMs; percent = percent % 100 + 1) {
        SetProgressPercent(percent);
        Sleep(20);
    }
    String summary = formatText("dialog=%d cancel=%d status=[%s]", ProgressWindow ? 1 : 0, cancelEnabled() ? 1 : 0,
                                statusLine());
    CloseProgressDialog();
    report(summary);
    return 0;
}

bool writeFile(const char* path, const void* bytes, DWORD size) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes, size, &written, nullptr) && written == size;
    CloseHandle(file);
    return ok;
}

// A 2 x 2 picture of 24 bits, as a ".bmp" file.
void writeGoodBitmap(const char* path) {
    unsigned char file[14 + 40 + 16] = {'B', 'M'};
    DWORD total = sizeof file;
    memcpy(file + 2, &total, 4);
    unsigned char* info = file + 14;
    DWORD headerSize = 40, width = 2, height = 2;
    WORD planes = 1, bits = 24;
    memcpy(info, &headerSize, 4);
    memcpy(info + 4, &width, 4);
    memcpy(info + 8, &height, 4);
    memcpy(info + 12, &planes, 2);
    memcpy(info + 14, &bits, 2);
    memset(info + 40, 0x7F, 16);
    writeFile(path, file, total);
}

int backgroundMode() {
    DisplayTitle = "Demo Setup\r\nSecond line";
    BitmapSize = 50;
    CreateDirectoryA("C:\\demo", nullptr);
    writeGoodBitmap("C:\\demo\\good.bmp");
    writeFile("C:\\demo\\bad.bmp", "XX not a bitmap file", 20);
    bool good = LoadBackgroundBitmapFile(String("C:\\demo\\good"));
    int goodWidth = BackgroundBitmap.width;
    bool bad = LoadBackgroundBitmapFile(String("C:\\demo\\bad.bmp"));
    bool missing = LoadBackgroundBitmapFile(String("C:\\demo\\missing.bmp"));
    showBackground();
    PumpMessages();

    HWND window = (HWND)BackgroundWindow;
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    RECT placed = {}, work = {};
    GetWindowRect(window, &placed);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    bool onWorkArea = EqualRect(&placed, &work) != FALSE;
    report(formatText("class=[%s] visible=%d onWorkArea=%d good=%d width=%d bad=%d kept=%d missing=%d", className,
                      IsWindowVisible(window) ? 1 : 0, onWorkArea ? 1 : 0, good ? 1 : 0, goodWidth, bad ? 1 : 0,
                      BackgroundBitmap.width, missing ? 1 : 0));
    return 0;
}

int run(const char* mode) {
    if (!strcmp(mode, "language")) return languageMode();
    if (!strcmp(mode, "licence")) return textMode(true);
    if (!strcmp(mode, "readme")) return textMode(false);
    if (!strcmp(mode, "directory")) return directoryMode();
    if (!strcmp(mode, "progress")) return progressMode(false, 5000);
    if (!strcmp(mode, "uninstall")) return progressMode(true, 500);
    if (!strcmp(mode, "background")) return backgroundMode();
    MessageBoxA(nullptr, mode, "ui_demo: unknown mode", MB_OK);
    return 2;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    initSystemPaths();
    OleInitialize(nullptr);
    InstanceHandle = instance;
    installTexts();
    int code = run(__argc > 1 ? __argv[1] : "");
    if (BackgroundWindow) DestroyWindow((HWND)BackgroundWindow);
    BackgroundWindow = nullptr;
    return code;
}
