#include "window/win32/win32_windowing.h"

#include <commdlg.h>
#include <windows.h>

#include "core/paths.h"
#include "platform/win32/wide.h"
#include "window/win32/win32_form.h"

#undef MessageBox  // the service's own name, not the API's macro

namespace quo {

namespace {

// The texts the next box of this thread gives its OK and Cancel buttons, set by a hook that
// sees the box before it is first shown.
struct ButtonTexts {
  std::wstring ok, cancel;
  HHOOK hook = nullptr;
};
thread_local ButtonTexts* renaming = nullptr;

LRESULT CALLBACK RenameButtons(int code, WPARAM wp, LPARAM lp) {
  ButtonTexts* t = renaming;
  wchar_t cls[8] = L"";
  const auto box = reinterpret_cast<HWND>(wp);
  if (t != nullptr && code == HCBT_ACTIVATE && ::GetClassNameW(box, cls, 8) > 0 &&
      std::wstring(cls) == L"#32770") {
    if (!t->ok.empty()) ::SetDlgItemTextW(box, IDOK, t->ok.c_str());
    if (!t->cancel.empty()) ::SetDlgItemTextW(box, IDCANCEL, t->cancel.c_str());
    renaming = nullptr;
  }
  return ::CallNextHookEx(t != nullptr ? t->hook : nullptr, code, wp, lp);
}

}  // namespace

void Win32Windowing::PumpMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (Win32Form::DialogMessage(msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  Win32Form::RethrowPending();
}

MsgResult Win32Windowing::ShowBox(const std::string& text, const std::string& title,
                                  MsgButtons buttons) {
  const UINT type =
      (buttons == MsgButtons::OkCancel ? MB_OKCANCEL : MB_OK) | MB_DEFBUTTON1 | MB_SETFOREGROUND;
  // A minimised owner would hide its box with it.
  const HWND owner = owner_ != nullptr && !::IsIconic(owner_) ? owner_ : nullptr;
  ButtonTexts texts{win32::Widen(okText_), win32::Widen(cancelText_)};
  if (buttons == MsgButtons::OkCancel) {
    texts.hook = ::SetWindowsHookExW(WH_CBT, RenameButtons, nullptr, ::GetCurrentThreadId());
    renaming = &texts;
  }
  const int answer =
      ::MessageBoxW(owner, win32::Widen(text).c_str(), win32::Widen(title).c_str(), type);
  renaming = nullptr;
  if (texts.hook != nullptr) ::UnhookWindowsHookEx(texts.hook);
  return answer == IDCANCEL ? MsgResult::Cancel : MsgResult::Ok;
}

std::optional<std::string> Win32Windowing::ShowOpenFile(const std::string& title,
                                                        const std::string& filterName,
                                                        const std::string& filterPattern) {
  // The filter is pairs of texts each ended by a NUL, the list ended by one more.
  std::wstring filter = win32::Widen(filterName + " (" + filterPattern + ")");
  filter += L'\0';
  filter += win32::Widen(filterPattern);
  filter += L'\0';
  filter += L'\0';
  const std::wstring shownTitle = win32::Widen(title);
  std::wstring file(32768, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrTitle = shownTitle.c_str();
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  // The dialog's library (and the shell's, which it loads) only when a person browses.
  using OpenFn = BOOL(WINAPI*)(OPENFILENAMEW*);
  const HMODULE dialogs = ::LoadLibraryW(L"comdlg32.dll");
  const auto open = reinterpret_cast<OpenFn>(
      reinterpret_cast<void*>(::GetProcAddress(dialogs, "GetOpenFileNameW")));
  if (open == nullptr || !open(&ofn)) return std::nullopt;
  return Slashes(win32::Narrow(file.c_str()));
}

}  // namespace quo
