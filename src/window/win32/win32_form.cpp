#include "window/win32/win32_form.h"

#include <commctrl.h>

#include <algorithm>

#include "core/error.h"
#include "platform/win32/wide.h"

namespace quo {

namespace {

constexpr int kGroupBoxId = 0xFFFE;  // the frame's own group box, inside its container
constexpr int kListRows = 8;         // rows a drop-down list shows open

std::exception_ptr pendingException;

std::string WindowText(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(hwnd, text.data(), int(text.size()))));
  return win32::Narrow(text);
}

// The DPI of a window (or of the system, before there is one); the per-window call exists from
// Windows 10 on.
UINT DpiOf(HWND hwnd) {
  using DpiFn = UINT(WINAPI*)(HWND);
  static const auto forWindow = reinterpret_cast<DpiFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32"), "GetDpiForWindow")));
  if (hwnd != nullptr && forWindow != nullptr) return forWindow(hwnd);
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? UINT(dpi) : 96;
}

bool IsFormWindow(HWND hwnd) {
  wchar_t name[32] = L"";
  return ::GetClassNameW(hwnd, name, 32) > 0 && std::wstring(name) == kFormClass;
}

// Containers pass what their controls tell them on to the window, which knows the controls.
LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      return ::SendMessageW(::GetAncestor(hwnd, GA_ROOT), msg, wp, lp);
    default:
      return ::DefWindowProcW(hwnd, msg, wp, lp);
  }
}

void RegisterClasses(WNDPROC formProc) {
  static const bool registered = [formProc] {
    const HINSTANCE module = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.hInstance = module;
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpfnWndProc = PanelProc;
    wc.lpszClassName = kPanelClass;
    if (::RegisterClassExW(&wc) == 0)
      throw Error("RegisterClassExW: " + win32::ErrorText(::GetLastError()));
    // The program's icon is the executable's first icon resource (none in a test program).
    wc.lpfnWndProc = formProc;
    wc.lpszClassName = kFormClass;
    wc.hIcon = static_cast<HICON>(::LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                               ::GetSystemMetrics(SM_CXICON),
                                               ::GetSystemMetrics(SM_CYICON), 0));
    wc.hIconSm = static_cast<HICON>(::LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXSMICON),
                                                 ::GetSystemMetrics(SM_CYSMICON), 0));
    if (::RegisterClassExW(&wc) == 0)
      throw Error("RegisterClassExW: " + win32::ErrorText(::GetLastError()));
    return true;
  }();
  (void)registered;
}

}  // namespace

// Controls.

// The Animation control loads the system's video libraries as it is created: it is created when
// first used, so that a window that never plays an animation does not pay for them.
HWND Win32Control::Hwnd() const {
  if (hwnd_ == nullptr && design_.kind == ControlKind::Animation)
    hwnd_ = form_.CreateChild(design_, parent_, id_);
  return hwnd_;
}

Win32Control::Win32Control(Win32Form& form, const ControlDesign& design, int id, HWND hwnd,
                           HWND parent)
    : Control(design.name), form_(form), design_(design), id_(id), hwnd_(hwnd), parent_(parent) {
  Control::SetCaption(design.caption);
  Control::SetVisible(design.visible);
  if (design.kind == ControlKind::Timer) Control::SetEnabled(false);
}

void Win32Control::LogCaptions(std::FILE* log, std::string prefix) {
  captionLog_.emplace(log, std::move(prefix));
}

std::string Win32Control::Caption() const {
  switch (design_.kind) {
    case ControlKind::Label:
    case ControlKind::Button:
      return WindowText(hwnd_);
    case ControlKind::Frame:
      return WindowText(::GetDlgItem(hwnd_, kGroupBoxId));
    default:
      return Control::Caption();
  }
}

void Win32Control::SetCaption(const std::string& v) {
  if (captionLog_) captionLog_->Log(v);
  Control::SetCaption(v);
  const std::wstring text = win32::Widen(v);
  switch (design_.kind) {
    case ControlKind::Label:
    case ControlKind::Button:
      ::SetWindowTextW(hwnd_, text.c_str());
      break;
    case ControlKind::Frame:
      ::SetWindowTextW(::GetDlgItem(hwnd_, kGroupBoxId), text.c_str());
      break;
    case ControlKind::MenuItem:
      if (design_.caption != "-")
        ::ModifyMenuW(form_.menu_, UINT(id_), MF_BYCOMMAND | MF_STRING, UINT_PTR(id_),
                      text.c_str());
      break;
    default:
      break;
  }
}

std::string Win32Control::Text() const {
  if (design_.kind == ControlKind::TextBox) return WindowText(hwnd_);
  if (design_.kind == ControlKind::DropDownList) {
    const int i = ListIndex();
    return i < 0 ? "" : Items()[std::size_t(i)];
  }
  return Control::Text();
}

void Win32Control::SetText(const std::string& v) {
  Control::SetText(v);
  if (design_.kind == ControlKind::TextBox) ::SetWindowTextW(hwnd_, win32::Widen(v).c_str());
}

bool Win32Control::Enabled() const {
  if (hwnd_ != nullptr) return ::IsWindowEnabled(hwnd_) != FALSE;
  if (design_.kind == ControlKind::MenuItem)
    return (::GetMenuState(form_.menu_, UINT(id_), MF_BYCOMMAND) & (MF_DISABLED | MF_GRAYED)) == 0;
  return Control::Enabled();
}

void Win32Control::SetEnabled(bool v) {
  Control::SetEnabled(v);
  if (hwnd_ != nullptr) {
    ::EnableWindow(hwnd_, v);
  } else if (design_.kind == ControlKind::MenuItem) {
    ::EnableMenuItem(form_.menu_, UINT(id_), MF_BYCOMMAND | (v ? MF_ENABLED : MF_GRAYED));
  } else if (design_.kind == ControlKind::Timer && form_.hwnd_ != nullptr) {
    if (v)
      ::SetTimer(form_.hwnd_, UINT_PTR(id_), UINT(design_.intervalMs), nullptr);
    else
      ::KillTimer(form_.hwnd_, UINT_PTR(id_));
  }
}

bool Win32Control::Visible() const {
  if (hwnd_ != nullptr) return (::GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
  return Control::Visible();
}

void Win32Control::SetVisible(bool v) {
  Control::SetVisible(v);
  if (hwnd_ != nullptr) ::ShowWindow(hwnd_, v ? SW_SHOWNA : SW_HIDE);
}

int Win32Control::Value() const {
  if (design_.kind == ControlKind::ProgressBar) return int(::SendMessageW(hwnd_, PBM_GETPOS, 0, 0));
  return Control::Value();
}

void Win32Control::SetValue(int v) {
  Control::SetValue(v);
  if (design_.kind == ControlKind::ProgressBar) ::SendMessageW(hwnd_, PBM_SETPOS, WPARAM(v), 0);
}

RECT Win32Control::Rect() const {
  RECT r{};
  ::GetWindowRect(hwnd_, &r);
  ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void Win32Control::MoveTo(const RECT& r) {
  ::SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

int Win32Control::Top() const {
  return hwnd_ != nullptr ? form_.Twips(Rect().top) : Control::Top();
}

void Win32Control::SetTop(int v) {
  Control::SetTop(v);
  if (hwnd_ == nullptr) return;
  RECT r = Rect();
  const int height = r.bottom - r.top;
  r.top = form_.Pixels(v), r.bottom = r.top + height;
  MoveTo(r);
}

int Win32Control::Height() const {
  if (hwnd_ == nullptr) return Control::Height();
  const RECT r = Rect();
  return form_.Twips(r.bottom - r.top);
}

void Win32Control::SetHeight(int v) {
  Control::SetHeight(v);
  if (hwnd_ == nullptr) return;
  RECT r = Rect();
  r.bottom = r.top + form_.Pixels(v);
  MoveTo(r);
}

void Win32Control::ClearItems() {
  Control::ClearItems();
  if (design_.kind == ControlKind::DropDownList) ::SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
}

void Win32Control::AddItem(const std::string& v) {
  Control::AddItem(v);
  if (design_.kind == ControlKind::DropDownList)
    ::SendMessageW(hwnd_, CB_ADDSTRING, 0, LPARAM(win32::Widen(v).c_str()));
}

std::vector<std::string> Win32Control::Items() const {
  if (design_.kind != ControlKind::DropDownList) return Control::Items();
  std::vector<std::string> out;
  const int n = int(::SendMessageW(hwnd_, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    std::wstring item(std::size_t(::SendMessageW(hwnd_, CB_GETLBTEXTLEN, WPARAM(i), 0)) + 1, L'\0');
    item.resize(std::size_t(::SendMessageW(hwnd_, CB_GETLBTEXT, WPARAM(i), LPARAM(item.data()))));
    out.push_back(win32::Narrow(item));
  }
  return out;
}

int Win32Control::ListIndex() const {
  if (design_.kind != ControlKind::DropDownList) return Control::ListIndex();
  return int(::SendMessageW(hwnd_, CB_GETCURSEL, 0, 0));
}

void Win32Control::SetListIndex(int v) {
  Control::SetListIndex(v);
  if (design_.kind == ControlKind::DropDownList) ::SendMessageW(hwnd_, CB_SETCURSEL, WPARAM(v), 0);
}

void Win32Control::Repaint() {
  if (hwnd_ != nullptr)
    ::RedrawWindow(hwnd_, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// The window.

Win32Form::Win32Form(const FormDesign& design) : Form(design.name) {
  RegisterClasses(WindowProc);
  white_ = ::CreateSolidBrush(RGB(255, 255, 255));
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN |
                      (design.minimizeButton ? WS_MINIMIZEBOX | WS_THICKFRAME : 0);
  const DWORD exStyle = WS_EX_CONTROLPARENT | (design.minimizeButton ? 0 : WS_EX_DLGMODALFRAME);
  dpi_ = DpiOf(nullptr);
  RECT r{0, 0, Pixels(design.clientWidth), Pixels(design.clientHeight)};
  ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
  hwnd_ = ::CreateWindowExW(exStyle, kFormClass, win32::Widen(design.caption).c_str(), style,
                            CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left, r.bottom - r.top,
                            nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
  if (hwnd_ == nullptr) throw Error("CreateWindowExW: " + win32::ErrorText(::GetLastError()));
  dpi_ = DpiOf(hwnd_);
  Form::SetCaption(design.caption);
  Build(design);
}

Win32Form::~Win32Form() {
  if (hwnd_ != nullptr) {
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);  // nothing more reaches this object
    ::DestroyWindow(hwnd_);
  }
  if (menu_ != nullptr) ::DestroyMenu(menu_);
  if (font_ != nullptr) ::DeleteObject(font_);
  ::DeleteObject(white_);
}

int Win32Form::Pixels(int twips) const { return ::MulDiv(twips, int(dpi_), 1440); }
int Win32Form::Twips(int pixels) const { return ::MulDiv(pixels, 1440, int(dpi_)); }

void Win32Form::MakeFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  // The system's metrics are at the system's DPI; this window may be on another screen.
  metrics.lfMessageFont.lfHeight =
      ::MulDiv(metrics.lfMessageFont.lfHeight, int(dpi_), int(DpiOf(nullptr)));
  if (font_ != nullptr) ::DeleteObject(font_);
  font_ = ::CreateFontIndirectW(&metrics.lfMessageFont);
}

HWND Win32Form::CreateChild(const ControlDesign& c, HWND parent, int id) {
  const wchar_t* cls = nullptr;
  // Each control paints only what no control above it covers (picAvi and picVersion overlap).
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (c.visible ? WS_VISIBLE : 0), exStyle = 0;
  int height = c.height;
  switch (c.kind) {
    case ControlKind::Frame:
    case ControlKind::PictureBox:
      cls = kPanelClass, exStyle = WS_EX_CONTROLPARENT;
      break;
    case ControlKind::Label:
      cls = L"STATIC", style |= SS_LEFT | SS_NOPREFIX;
      break;
    case ControlKind::TextBox:
      cls = L"EDIT", style |= ES_AUTOHSCROLL | WS_TABSTOP, exStyle = WS_EX_CLIENTEDGE;
      break;
    case ControlKind::Button:
      cls = L"BUTTON", style |= WS_TABSTOP;
      style |= c.role == ButtonRole::Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
      break;
    case ControlKind::ProgressBar:
      cls = PROGRESS_CLASSW;
      break;
    case ControlKind::DropDownList:
      cls = WC_COMBOBOXW, style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
      height += kListRows * c.height;  // a combo box's height includes its open list
      break;
    case ControlKind::Animation:
      cls = ANIMATE_CLASSW, style |= ACS_TRANSPARENT | ACS_CENTER;
      break;
    default:
      return nullptr;
  }
  const std::wstring caption = c.kind == ControlKind::Frame || c.kind == ControlKind::DropDownList
                                   ? L""
                                   : win32::Widen(c.caption);
  HWND hwnd =
      ::CreateWindowExW(exStyle, cls, caption.c_str(), style, Pixels(c.left), Pixels(c.top),
                        Pixels(c.width), Pixels(height), parent,
                        reinterpret_cast<HMENU>(INT_PTR(id)), ::GetModuleHandleW(nullptr), nullptr);
  if (hwnd == nullptr)
    throw Error("The view of " + Name() + " has no " + c.name + ": " +
                win32::ErrorText(::GetLastError()));
  ::SendMessageW(hwnd, WM_SETFONT, WPARAM(font_), FALSE);
  if (c.kind == ControlKind::Frame) {
    // The group box lies under the frame's controls and never paints over them.
    HWND box = ::CreateWindowExW(0, L"BUTTON", win32::Widen(c.caption).c_str(),
                                 WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | BS_GROUPBOX, 0, 0,
                                 Pixels(c.width), Pixels(c.height), hwnd,
                                 reinterpret_cast<HMENU>(INT_PTR(kGroupBoxId)),
                                 ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(box, WM_SETFONT, WPARAM(font_), FALSE);
  }
  if (c.kind == ControlKind::TextBox)
    ::SetWindowSubclass(hwnd, EditProc, 0, reinterpret_cast<DWORD_PTR>(this));
  return hwnd;
}

void Win32Form::Build(const FormDesign& design) {
  design_ = &design;
  MakeFont();
  for (std::size_t i = 0; i < design.controls.size(); ++i) {
    const ControlDesign& c = design.controls[i];
    const int id = kFirstControlId + int(i);
    HWND parent = hwnd_;
    if (!c.container.empty()) {
      const Win32Control* container = static_cast<Win32Control*>(Find(c.container));
      if (container == nullptr) throw Error("No container " + c.container + " on " + Name());
      parent = container->Hwnd();
    }
    HWND hwnd = nullptr;
    if (c.kind == ControlKind::Menu) {
      menu_ = ::CreatePopupMenu();
    } else if (c.kind == ControlKind::MenuItem) {
      ::AppendMenuW(menu_, c.caption == "-" ? MF_SEPARATOR : MF_STRING, UINT_PTR(id),
                    win32::Widen(c.caption).c_str());
    } else if (c.kind != ControlKind::Timer && c.kind != ControlKind::Animation) {
      hwnd = CreateChild(c, parent, id);
    }
    controls_.push_back(std::make_unique<Win32Control>(*this, c, id, hwnd, parent));
  }
  OrderTabs();
}

// The system moves the focus through the controls in their stacking order among siblings.
void Win32Form::OrderTabs() {
  std::vector<const Win32Control*> ordered;
  for (const auto& c : controls_)
    if (c->hwnd_ != nullptr) ordered.push_back(c.get());
  std::stable_sort(
      ordered.begin(), ordered.end(), [](const Win32Control* a, const Win32Control* b) {
        const unsigned ta = unsigned(a->Design().tabIndex), tb = unsigned(b->Design().tabIndex);
        return ta < tb;  // no place (-1) sorts last
      });
  HWND after = HWND_TOP;
  for (const Win32Control* c : ordered) {
    ::SetWindowPos(c->hwnd_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    after = c->hwnd_;
  }
  // Labels and group boxes are drawn under every other control, as on the forms they come from:
  // a label may reach under the text box beside it.
  auto toBottom = [](HWND hwnd) {
    ::SetWindowPos(hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  };
  for (const auto& c : controls_)
    if (c->Design().kind == ControlKind::Label) toBottom(c->hwnd_);
  for (const auto& c : controls_)
    if (c->Design().kind == ControlKind::Frame) toBottom(::GetDlgItem(c->hwnd_, kGroupBoxId));
}

std::vector<Control*> Win32Form::Controls() const {
  std::vector<Control*> out;
  for (const auto& c : controls_) out.push_back(c.get());
  return out;
}

Win32Control* Win32Form::ControlById(int id) const {
  const int i = id - kFirstControlId;
  return i >= 0 && i < int(controls_.size()) ? controls_[std::size_t(i)].get() : nullptr;
}

Win32Control* Win32Form::ControlOf(HWND hwnd) const {
  for (const auto& c : controls_)
    if (c->hwnd_ == hwnd && hwnd != nullptr) return c.get();
  return nullptr;
}

std::string Win32Form::Caption() const { return WindowText(hwnd_); }
void Win32Form::SetCaption(const std::string& v) {
  Form::SetCaption(v);
  ::SetWindowTextW(hwnd_, win32::Widen(v).c_str());
}

void Win32Form::Show() {
  Form::Show();
  if (!centred_) {
    centred_ = true;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    const RECT& work = monitor.rcWork;
    ::SetWindowPos(hwnd_, nullptr, (work.left + work.right - (r.right - r.left)) / 2,
                   (work.top + work.bottom - (r.bottom - r.top)) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  int how = SW_SHOW;
  if (hiddenState_)
    how = *hiddenState_ == WindowState::Minimized ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
  hiddenState_.reset();
  ::ShowWindow(hwnd_, how);
  ::SetForegroundWindow(hwnd_);
}

void Win32Form::Hide() {
  Form::Hide();
  ::ShowWindow(hwnd_, SW_HIDE);
}

bool Win32Form::Visible() const { return ::IsWindowVisible(hwnd_) != FALSE; }

WindowState Win32Form::State() const {
  if (hiddenState_ && !Visible()) return *hiddenState_;
  return ::IsIconic(hwnd_) ? WindowState::Minimized : WindowState::Normal;
}

void Win32Form::SetState(WindowState s) {
  if (!Visible()) {
    hiddenState_ = s;
    return;
  }
  if (s != State()) ::ShowWindow(hwnd_, s == WindowState::Minimized ? SW_MINIMIZE : SW_RESTORE);
}

int Win32Form::Width() const {
  RECT r{};
  ::GetWindowRect(hwnd_, &r);
  return Twips(r.right - r.left);
}

int Win32Form::HeightTwips() const {
  RECT r{};
  ::GetWindowRect(hwnd_, &r);
  return Twips(r.bottom - r.top);
}

void Win32Form::Resize(int width, int height) {
  if (Width() == width && HeightTwips() == height) return;
  resizing_ = true;
  ::SetWindowPos(hwnd_, nullptr, 0, 0, Pixels(width), Pixels(height),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  resizing_ = false;
}

// The window is destroyed with the object: the logic may still read its controls.
void Win32Form::Close() {
  Form::Close();
  for (const auto& c : controls_)
    if (c->Design().kind == ControlKind::Timer) c->SetEnabled(false);
  ::ShowWindow(hwnd_, SW_HIDE);
}

void Win32Form::PopupMenu(const std::string& menu) {
  Form::PopupMenu(menu);
  POINT at{};
  ::GetCursorPos(&at);
  ::SetForegroundWindow(hwnd_);  // so that the menu closes when the user clicks elsewhere
  ::TrackPopupMenu(menu_, TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_, nullptr);
  ::PostMessageW(hwnd_, WM_NULL, 0, 0);
}

void Win32Form::Report(const std::string& control, FormEvent event, int arg) {
  try {
    Raise(control, event, arg);
  } catch (...) {
    if (!pendingException) pendingException = std::current_exception();
  }
}

void Win32Form::RethrowPending() {
  if (std::exception_ptr e = std::exchange(pendingException, nullptr)) std::rethrow_exception(e);
}

bool Win32Form::DialogMessage(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || msg.hwnd == nullptr) return false;
  HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
  return IsFormWindow(root) && ::IsDialogMessageW(root, &msg);
}

LRESULT CALLBACK Win32Form::EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                     DWORD_PTR data) {
  auto* form = reinterpret_cast<Win32Form*>(data);
  const Win32Control* c = form->ControlOf(hwnd);
  if (c != nullptr) {
    // Enter goes to a text box whose key presses the logic wants, not to the default button.
    if (msg == WM_GETDLGCODE && wp == VK_RETURN && form->HasHandler(c->Name(), FormEvent::KeyPress))
      return DLGC_WANTALLKEYS | ::DefSubclassProc(hwnd, msg, wp, lp);
    if (msg == WM_CHAR) {
      const std::string name = c->Name();
      form->Report(name, FormEvent::KeyPress, int(wp));
      if (wp == '\r') return 0;  // a single-line box only beeps at it
    }
  }
  return ::DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT CALLBACK Win32Form::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* form = static_cast<Win32Form*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    form->hwnd_ = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<Win32Form*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (form == nullptr || form->controls_.empty()) return ::DefWindowProcW(hwnd, msg, wp, lp);
  return form->Handle(msg, wp, lp);
}

LRESULT Win32Form::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND: {
      const int id = LOWORD(wp);
      Win32Control* c = ControlById(id);
      if (id == IDCANCEL || (id == IDOK && lp == 0)) {  // Escape, or Enter with no default
        const ButtonRole role = id == IDCANCEL ? ButtonRole::Cancel : ButtonRole::Default;
        c = nullptr;
        for (const auto& each : controls_)
          if (each->Design().role == role) c = each.get();
      }
      const bool menuItem = c != nullptr && c->Design().kind == ControlKind::MenuItem;
      if (c != nullptr && (menuItem || HIWORD(wp) == BN_CLICKED))
        Report(c->Name(), FormEvent::Click);
      return 0;
    }
    case DM_GETDEFID:
      for (const auto& c : controls_)
        if (c->Design().role == ButtonRole::Default) return MAKELRESULT(c->Id(), DC_HASDEFID);
      return 0;
    case WM_TIMER:
      if (Win32Control* c = ControlById(int(wp)); c != nullptr && c->Enabled())
        Report(c->Name(), FormEvent::Timer);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        if (HWND f = ::GetFocus(); f != nullptr && ::IsChild(hwnd_, f)) focus_ = f;
      } else {
        Report("", FormEvent::Activate);
      }
      break;
    case WM_SETFOCUS:
      if (focus_ == nullptr || !::IsChild(hwnd_, focus_) || !::IsWindowEnabled(focus_))
        focus_ = ::GetNextDlgTabItem(hwnd_, nullptr, FALSE);
      if (focus_ != nullptr) ::SetFocus(focus_);
      return 0;
    case WM_SIZE:
      if (!resizing_) Report("", FormEvent::Resize);
      break;
    case WM_CLOSE:
      if (HasHandler("", FormEvent::CloseRequest)) {
        Report("", FormEvent::CloseRequest);
        return 0;
      }
      break;
    case WM_CONTEXTMENU:
      Report("", FormEvent::ContextMenu);
      return 0;
    case WM_CTLCOLORSTATIC:
      if (const Win32Control* c = ControlOf(reinterpret_cast<HWND>(lp));
          c != nullptr && c->Design().whiteBackground) {
        ::SetTextColor(reinterpret_cast<HDC>(wp), RGB(0, 0, 0));
        ::SetBkColor(reinterpret_cast<HDC>(wp), RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(white_);
      }
      break;
    case WM_DPICHANGED: {
      // Every control keeps its place in twips at the new DPI.
      const UINT old = dpi_;
      dpi_ = HIWORD(wp);
      MakeFont();
      for (const auto& c : controls_) {
        if (c->hwnd_ == nullptr) continue;
        RECT r = c->Rect();
        r = {::MulDiv(r.left, int(dpi_), int(old)), ::MulDiv(r.top, int(dpi_), int(old)),
             ::MulDiv(r.right, int(dpi_), int(old)), ::MulDiv(r.bottom, int(dpi_), int(old))};
        c->MoveTo(r);
        ::SendMessageW(c->hwnd_, WM_SETFONT, WPARAM(font_), TRUE);
      }
      const RECT* suggested = reinterpret_cast<const RECT*>(lp);
      ::SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    default:
      break;
  }
  return ::DefWindowProcW(hwnd_, msg, wp, lp);
}

// Forms.

std::unique_ptr<Form> Win32FormFactory::Create(const std::string& name) {
  return std::make_unique<Win32Form>(name == "frmParam" ? SettingsDialogDesign()
                                                        : MainWindowDesign());
}

}  // namespace quo
