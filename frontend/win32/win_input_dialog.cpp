#include "win_input_dialog.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Dialog units of the template; the prompt grows downwards to fit its text once it is shown.
constexpr short kDialogWidth = 220;
constexpr short kMargin = 7;
constexpr short kPromptHeight = 8;
constexpr short kEditHeight = 14;
constexpr short kButtonWidth = 50;
constexpr short kButtonHeight = 14;
constexpr short kGap = 4;
constexpr WORD kFontPoints = 8;

constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kEditAtom = 0x0081;
constexpr WORD kStaticAtom = 0x0082;

struct TInputState {
  const std::wstring* Initial = nullptr;
  std::wstring Text;
};

// A DLGTEMPLATE and its items, laid out as the dialog manager reads them: WORD strings, each item
// on a DWORD boundary.
class TTemplateWriter {
 public:
  void Word(WORD value) { FWords.push_back(value); }
  void Text(const std::wstring& text) {
    for (wchar_t c : text) Word(static_cast<WORD>(c));
    Word(0);
  }
  void AlignToDword() {
    if (FWords.size() % 2 != 0) Word(0);
  }
  template <typename T>
  void Struct(const T& value) {
    static_assert(sizeof(T) % sizeof(WORD) == 0);
    const size_t at = FWords.size();
    FWords.resize(at + sizeof(T) / sizeof(WORD));
    std::memcpy(&FWords[at], &value, sizeof(T));
  }
  void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD classAtom,
            const std::wstring& text) {
    AlignToDword();
    DLGITEMTEMPLATE item{};
    item.style = style | WS_CHILD | WS_VISIBLE;
    item.x = x;
    item.y = y;
    item.cx = cx;
    item.cy = cy;
    item.id = id;
    Struct(item);
    Word(0xFFFF);
    Word(classAtom);
    Text(text);
    Word(0);  // no creation data
  }
  const DLGTEMPLATE* Template() const {
    return reinterpret_cast<const DLGTEMPLATE*>(FWords.data());
  }

 private:
  std::vector<WORD> FWords;
};

void BuildTemplate(TTemplateWriter& writer, const std::wstring& caption,
                   const std::wstring& prompt) {
  const short editTop = kMargin + kPromptHeight + kGap;
  const short buttonTop = editTop + kEditHeight + kGap * 2;
  const short height = buttonTop + kButtonHeight + kMargin;
  const short innerWidth = kDialogWidth - 2 * kMargin;
  DLGTEMPLATE dialog{};
  dialog.style = DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  dialog.cdit = 4;
  dialog.cx = kDialogWidth;
  dialog.cy = height;
  writer.Struct(dialog);
  writer.Word(0);  // no menu
  writer.Word(0);  // the standard dialog class
  writer.Text(caption);
  writer.Word(kFontPoints);
  writer.Text(L"MS Shell Dlg");
  writer.Item(SS_LEFT | SS_NOPREFIX, kMargin, kMargin, innerWidth, kPromptHeight, kInputPromptId,
              kStaticAtom, prompt);
  writer.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, kMargin, editTop, innerWidth, kEditHeight,
              kInputEditId, kEditAtom, L"");
  const short cancelLeft = kDialogWidth - kMargin - kButtonWidth;
  const short okLeft = cancelLeft - kGap - kButtonWidth;
  writer.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, okLeft, buttonTop, kButtonWidth, kButtonHeight, IDOK,
              kButtonAtom, L"OK");
  writer.Item(BS_PUSHBUTTON | WS_TABSTOP, cancelLeft, buttonTop, kButtonWidth, kButtonHeight,
              IDCANCEL, kButtonAtom, L"Cancel");
}

void MoveDown(HWND dialog, int id, int by) {
  const HWND control = GetDlgItem(dialog, id);
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  SetWindowPos(control, nullptr, rect.left, rect.top + by, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The prompt may be long or hold line breaks: it gets the height its text needs, and everything
// below it moves down.
void FitPrompt(HWND dialog) {
  const HWND prompt = GetDlgItem(dialog, kInputPromptId);
  RECT bounds;
  GetWindowRect(prompt, &bounds);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&bounds), 2);
  const int length = GetWindowTextLengthW(prompt);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(prompt, text.data(), length + 1);
  text.resize(static_cast<size_t>(length));
  const HDC dc = GetDC(prompt);
  const HGDIOBJ old =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
  RECT needed{0, 0, bounds.right - bounds.left, 0};
  DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(prompt, dc);
  const int grow = std::max(0L, needed.bottom - (bounds.bottom - bounds.top));
  if (grow == 0) return;
  SetWindowPos(prompt, nullptr, 0, 0, bounds.right - bounds.left, needed.bottom,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (int id : {kInputEditId, IDOK, IDCANCEL}) MoveDown(dialog, id, grow);
  RECT outer;
  GetWindowRect(dialog, &outer);
  SetWindowPos(dialog, nullptr, outer.left, outer.top - grow / 2, outer.right - outer.left,
               outer.bottom - outer.top + grow, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring EditText(HWND dialog) {
  const HWND edit = GetDlgItem(dialog, kInputEditId);
  const int length = GetWindowTextLengthW(edit);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(edit, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::max(0, copied)));
  return text;
}

INT_PTR CALLBACK InputDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      const auto* state = reinterpret_cast<TInputState*>(lParam);
      FitPrompt(dialog);
      const HWND edit = GetDlgItem(dialog, kInputEditId);
      SetWindowTextW(edit, state->Initial->c_str());
      SendMessageW(edit, EM_SETSEL, 0, -1);
      SetFocus(edit);
      return FALSE;  // the focus is set
    }
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id != IDOK && id != IDCANCEL) return FALSE;
      auto* state = reinterpret_cast<TInputState*>(GetWindowLongPtrW(dialog, DWLP_USER));
      if (id == IDOK) state->Text = EditText(dialog);
      EndDialog(dialog, id);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

std::wstring RunInputDialog(HWND owner, const std::wstring& caption, const std::wstring& prompt,
                            const std::wstring& initial) {
  TTemplateWriter writer;
  BuildTemplate(writer, caption, prompt);
  TInputState state;
  state.Initial = &initial;
  state.Text = initial;
  const INT_PTR result =
      DialogBoxIndirectParamW(GetModuleHandleW(nullptr), writer.Template(), owner,
                              &InputDialogProcedure, reinterpret_cast<LPARAM>(&state));
  return result == IDOK ? state.Text : initial;
}
