#include <windows.h>
// After windows.h.
#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

#include "platform/win32/wide.h"
#include "support/window_driver.h"

namespace quo::test {
namespace {

// A message sent to a window of another process, given up after 5 s (no answer: false).
bool Send(HWND w, UINT msg, WPARAM wp, LPARAM lp, DWORD_PTR* result) {
  return SendMessageTimeoutW(w, msg, wp, lp, SMTO_NORMAL | SMTO_ABORTIFHUNG, 5000, result) != 0;
}

// Asks found every 20 ms until it gives something or the timeout passes.
template <class Found>
auto Poll(Ms timeout, Found found) {
  for (const auto end = std::chrono::steady_clock::now() + timeout;; Sleep(20))
    if (auto r = found(); r || std::chrono::steady_clock::now() >= end) return r;
}

HWND TopLevel(DWORD pid, const wchar_t* cls, bool box) {
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, cls, nullptr)) != nullptr;) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid && IsWindowVisible(w) && (!box || GetDlgItem(w, 0xFFFF) != nullptr)) return w;
  }
  return nullptr;
}

}  // namespace

HWND WaitForWindow(DWORD pid, const wchar_t* cls, Ms timeout) {
  return Poll(timeout, [&] { return TopLevel(pid, cls, false); });
}

int ControlId(const FormDesign& design, const std::string& name) {
  for (size_t i = 0; i < design.controls.size(); ++i)
    if (design.controls[i].name == name) return 1000 + static_cast<int>(i);
  throw std::invalid_argument("no control " + name + " in " + design.name);
}

HWND FindControl(HWND parent, int id) {
  std::pair<int, HWND> sought{id, nullptr};
  EnumChildWindows(
      parent,
      [](HWND w, LPARAM p) {
        auto& s = *reinterpret_cast<std::pair<int, HWND>*>(p);
        if (GetDlgCtrlID(w) == s.first) s.second = w;
        return static_cast<BOOL>(s.second == nullptr);
      },
      reinterpret_cast<LPARAM>(&sought));
  return sought.second;
}

HWND FindControl(HWND form, const FormDesign& design, const std::string& name) {
  return FindControl(form, ControlId(design, name));
}

std::string Text(HWND w) {
  DWORD_PTR length = 0, copied = 0;
  if (!Send(w, WM_GETTEXTLENGTH, 0, 0, &length)) return "";
  std::wstring text(length + 1, L'\0');
  if (!Send(w, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), &copied)) return "";
  text.resize(std::min<size_t>(copied, length));
  return win32::Narrow(text);
}

bool SetText(HWND w, const std::string& text) {
  const std::wstring wide = win32::Widen(text);
  DWORD_PTR done = 0;
  return Send(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), &done) && done != 0;
}

void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

bool WaitForText(HWND w, const std::function<bool(const std::string&)>& ok, Ms timeout) {
  return Poll(timeout, [&] { return ok(Text(w)); });
}

int ProgressPos(HWND bar) {
  DWORD_PTR pos = 0;
  return Send(bar, PBM_GETPOS, 0, 0, &pos) ? static_cast<int>(pos) : -1;
}

bool Visible(HWND w) { return IsWindowVisible(w) != 0; }
bool Enabled(HWND w) { return IsWindowEnabled(w) != 0; }

HWND WaitForMessageBox(DWORD pid, Ms timeout) {
  return Poll(timeout, [&] { return TopLevel(pid, L"#32770", true); });
}

BoxContent ReadBox(HWND box) {
  BoxContent c{Text(box), Text(GetDlgItem(box, 0xFFFF)), {}};
  for (int id = IDOK; id <= IDCONTINUE; ++id)
    if (const HWND b = GetDlgItem(box, id); b != nullptr && IsWindowVisible(b))
      c.buttons[id] = Text(b);
  return c;
}

void Answer(HWND box, int button) { PostMessageW(box, WM_COMMAND, button, 0); }

Pixels Grab(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  Pixels p{r.right - r.left, r.bottom - r.top, {}};
  if (p.width <= 0 || p.height <= 0) return {};
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof bi.bmiHeader, p.width, -p.height, 1, 32, BI_RGB};  // top-down rows
  void* bits = nullptr;
  const HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
  const HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dib != nullptr) {
    const HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, p.width, p.height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const auto* first = static_cast<const std::uint32_t*>(bits);
    p.bgrx.assign(first, first + static_cast<size_t>(p.width) * p.height);
    SelectObject(memory, old);
    DeleteObject(dib);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return p;
}

}  // namespace quo::test
