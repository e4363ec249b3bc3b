#include "window/win32/win32_windowing.h"

#include <windows.h>
#include <commdlg.h>

#include "core/paths.h"
#include "platform/win32/wide.h"

#undef MessageBox  // the service's own name, not the API's macro

namespace quo {

void Win32Windowing::PumpMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

MsgResult Win32Windowing::ShowBox(const std::string& text, const std::string& title,
                                  MsgButtons buttons) {
  const UINT type =
      (buttons == MsgButtons::OkCancel ? MB_OKCANCEL : MB_OK) | MB_DEFBUTTON1 | MB_SETFOREGROUND;
  const int answer =
      ::MessageBoxW(nullptr, win32::Widen(text).c_str(), win32::Widen(title).c_str(), type);
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
  if (!::GetOpenFileNameW(&ofn)) return std::nullopt;
  return Slashes(win32::Narrow(file.c_str()));
}

}  // namespace quo
