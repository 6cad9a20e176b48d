#include "dialog_win32.h"

#include <vector>

#include "wide_text.h"

namespace robot {
namespace {

const UINT kSendTimeoutMs = 1000;
const int kMaxListItems = 1000;

// Sends a message to a window of another process; 0 when it does not answer.
LRESULT sendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                           &result))
    return 0;
  return static_cast<LRESULT>(result);
}

// WM_GETTEXT rather than GetWindowText: the latter does not ask controls of
// other processes for their text.
std::string windowText(HWND window) {
  LRESULT length = sendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  LRESULT got = sendWithTimeout(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(got > 0 && got <= length ? static_cast<size_t>(got) : 0);
  return toUtf8(text);
}

std::string className(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return toUtf8(name);
}

bool isListBox(const std::string& cls) { return lstrcmpiA(cls.c_str(), "ListBox") == 0; }
bool isComboBox(const std::string& cls) { return lstrcmpiA(cls.c_str(), "ComboBox") == 0; }

// Entries of a list or combo box that holds strings (owner-drawn boxes
// without strings have nothing readable).
std::vector<std::string> listItems(HWND box, bool combo) {
  LONG_PTR style = GetWindowLongPtrW(box, GWL_STYLE);
  bool ownerDrawn = combo ? (style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) != 0
                          : (style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0;
  bool hasStrings = (style & (combo ? CBS_HASSTRINGS : LBS_HASSTRINGS)) != 0;
  if (ownerDrawn && !hasStrings) return {};
  UINT getCount = combo ? CB_GETCOUNT : LB_GETCOUNT;
  UINT getLength = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
  UINT getText = combo ? CB_GETLBTEXT : LB_GETTEXT;
  std::vector<std::string> items;
  LRESULT count = sendWithTimeout(box, getCount, 0, 0);
  for (LRESULT i = 0; i < count && i < kMaxListItems; ++i) {
    LRESULT length = sendWithTimeout(box, getLength, i, 0);
    std::wstring text(length > 0 ? static_cast<size_t>(length) + 1 : 1, L'\0');
    LRESULT got = length > 0 ? sendWithTimeout(box, getText, i, reinterpret_cast<LPARAM>(&text[0])) : 0;
    text.resize(got > 0 && got <= length ? static_cast<size_t>(got) : 0);
    items.push_back(toUtf8(text));
  }
  return items;
}

BOOL CALLBACK collectChild(HWND child, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
  return TRUE;
}

std::vector<HWND> descendants(HWND window) {
  std::vector<HWND> children;
  EnumChildWindows(window, collectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

// Any descendant with this id (GetDlgItem finds direct children only).
HWND findControl(HWND dialog, unsigned id) {
  for (HWND child : descendants(dialog))
    if (static_cast<unsigned>(GetDlgCtrlID(child)) == id) return child;
  return nullptr;
}

// Tells the control's parent what a user's change would have told it.
void notifyParent(HWND control, unsigned id, WORD code) {
  PostMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

void click(HWND dialog, const DialogView& view, const std::vector<unsigned>& candidates) {
  unsigned id = candidates.at(0);
  for (unsigned candidate : candidates) {
    if (view.control(candidate)) {
      id = candidate;
      break;
    }
  }
  HWND button = findControl(dialog, id);
  PostMessageW(button ? GetParent(button) : dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

void pick(HWND control, unsigned id, int index) {
  bool combo = isComboBox(className(control));
  sendWithTimeout(control, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  notifyParent(control, id, combo ? CBN_SELCHANGE : LBN_SELCHANGE);
}

}  // namespace

DialogView readDialog(HWND dialog) {
  DialogView view;
  view.caption = windowText(dialog);
  for (HWND child : descendants(dialog)) {
    ControlView control;
    control.id = static_cast<unsigned>(GetDlgCtrlID(child)) & 0xFFFF;
    control.className = className(child);
    control.text = windowText(child);
    if (isListBox(control.className) || isComboBox(control.className))
      control.items = listItems(child, isComboBox(control.className));
    view.controls.push_back(control);
  }
  return view;
}

bool performAction(HWND dialog, const DialogView& view, const Action& action) {
  if (action.kind == ActionKind::Ignore) return true;
  if (action.kind == ActionKind::Click) {
    click(dialog, view, action.ids);
    return true;
  }
  unsigned id = action.ids.at(0);
  HWND control = findControl(dialog, id);
  if (!control) return false;
  switch (action.kind) {
    case ActionKind::Type: {
      std::wstring text = toWide(action.text);
      sendWithTimeout(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
      break;
    }
    case ActionKind::Pick:
      pick(control, id, action.number);
      break;
    case ActionKind::Check:
      sendWithTimeout(control, BM_SETCHECK, action.number ? BST_CHECKED : BST_UNCHECKED, 0);
      notifyParent(control, id, BN_CLICKED);
      break;
    default:
      break;
  }
  return true;
}

}  // namespace robot
