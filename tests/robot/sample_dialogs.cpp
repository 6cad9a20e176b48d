// A Windows program for the robot's own tests. Its exit code tells which
// answers arrived:
//   sample_dialogs.exe boxes  - "Go on?" (Yes/No/Cancel); after Yes also
//                               "Try again?" (Retry/Cancel). Exit code:
//                               first answer * 100 + second answer (0 if none).
//   sample_dialogs.exe form   - a dialog with edit 100, list box 101 (red,
//                               green, blue), check box 102, OK and Cancel.
//                               OK exits 1000 + 100 if the edit was changed to
//                               "robot was here" + 10 if the box was checked
//                               + the chosen entry (9 for none); Cancel exits 2.
//                               Only the notifications a user's input sends
//                               count, so the robot must send them too.
//   sample_dialogs.exe hang   - a box nobody should answer; exits 5 if it is.
#include <windows.h>

#include <string>
#include <vector>

namespace {

const wchar_t kCaption[] = L"Robot sample";
const int kEditId = 100, kListId = 101, kCheckId = 102;

int askTwice() {
  int first = MessageBoxW(nullptr, L"First question:\r\nGo on?", kCaption, MB_YESNOCANCEL | MB_ICONQUESTION);
  int second = 0;
  if (first == IDYES) second = MessageBoxW(nullptr, L"Second question:\r\nTry again?", kCaption, MB_RETRYCANCEL);
  return first * 100 + second;
}

// An in-memory dialog template (DLGTEMPLATE), so the sample needs no resources.
class DialogTemplate {
 public:
  DialogTemplate(const wchar_t* caption, WORD count, short cx, short cy) {
    addDword(DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    addDword(0);
    words_.push_back(count);
    addBox(0, 0, cx, cy);
    words_.push_back(0);  // no menu
    words_.push_back(0);  // standard dialog class
    addText(caption);
  }

  // classAtom: 0x80 button, 0x81 edit, 0x82 static, 0x83 list box.
  void addControl(WORD classAtom, WORD id, DWORD style, const wchar_t* text, short x, short y, short cx, short cy) {
    if (words_.size() % 2) words_.push_back(0);  // items start on a DWORD boundary
    addDword(style | WS_CHILD | WS_VISIBLE);
    addDword(0);
    addBox(x, y, cx, cy);
    words_.push_back(id);
    words_.push_back(0xFFFF);
    words_.push_back(classAtom);
    addText(text);
    words_.push_back(0);  // no creation data
  }

  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void addDword(DWORD value) {
    words_.push_back(LOWORD(value));
    words_.push_back(HIWORD(value));
  }
  void addBox(short x, short y, short cx, short cy) {
    for (short v : {x, y, cx, cy}) words_.push_back(static_cast<WORD>(v));
  }
  void addText(const wchar_t* text) {
    for (; *text; ++text) words_.push_back(*text);
    words_.push_back(0);
  }
  std::vector<WORD> words_;
};

struct FormState {
  std::wstring text;  // as of the last EN_CHANGE
  int choice = 9;     // as of the last LBN_SELCHANGE
  bool checked = false;
};
FormState form;

std::wstring controlText(HWND dialog, int id) {
  wchar_t buffer[256] = {};
  GetDlgItemTextW(dialog, id, buffer, 256);
  return buffer;
}

INT_PTR CALLBACK formProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    for (const wchar_t* colour : {L"red", L"green", L"blue"})
      SendDlgItemMessageW(dialog, kListId, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(colour));
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  int id = LOWORD(wParam), code = HIWORD(wParam);
  if (id == kEditId && code == EN_CHANGE) form.text = controlText(dialog, kEditId);
  if (id == kListId && code == LBN_SELCHANGE)
    form.choice = static_cast<int>(SendDlgItemMessageW(dialog, kListId, LB_GETCURSEL, 0, 0));
  if (id == kCheckId && code == BN_CLICKED) form.checked = IsDlgButtonChecked(dialog, kCheckId) == BST_CHECKED;
  if (id == IDOK)
    EndDialog(dialog, 1000 + (form.text == L"robot was here" ? 100 : 0) + (form.checked ? 10 : 0) + form.choice);
  if (id == IDCANCEL) EndDialog(dialog, 2);
  return TRUE;
}

int showForm() {
  DialogTemplate t(L"Robot form", 6, 160, 110);
  t.addControl(0x82, 200, SS_LEFT, L"Name:", 5, 5, 40, 10);
  t.addControl(0x81, kEditId, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, L"initial", 50, 5, 100, 12);
  t.addControl(0x83, kListId, LBS_NOTIFY | WS_BORDER | WS_VSCROLL, L"", 5, 22, 145, 40);
  t.addControl(0x80, kCheckId, BS_AUTOCHECKBOX | WS_TABSTOP, L"Extra", 5, 68, 60, 10);
  t.addControl(0x80, IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, L"OK", 30, 88, 45, 14);
  t.addControl(0x80, IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, L"Cancel", 85, 88, 45, 14);
  return static_cast<int>(DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.get(), nullptr, formProc, 0));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  std::wstring mode = commandLine;
  if (mode == L"form") return showForm();
  if (mode == L"hang") {
    MessageBoxW(nullptr, L"Nobody answers this box.", kCaption, MB_OK);
    return 5;
  }
  return askTwice();
}
