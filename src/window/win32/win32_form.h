// The Win32 views: a Form over a top-level window built from a form design, each Control over a
// real child control (static text, edit box, button, progress bar, drop-down list, animation),
// a container of the program's own class, a timer of the window or an item of its pop-up menu.
// Geometry is converted between twips and the window's pixels at its DPI. The views only display
// and report events (Form::Raise); every decision stays in the window logic.
//
// Each child control's identifier is kFirstControlId plus its index in the design, so a test
// program (or a person with a spy tool) finds a control of another process by its design name.
#pragma once

#include <windows.h>
#undef MessageBox  // the windowing service's own name, not the API's macro

#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "window/caption_log.h"
#include "window/form.h"

namespace quo {

inline constexpr wchar_t kFormClass[] = L"QuoUpdateForm";
inline constexpr wchar_t kPanelClass[] = L"QuoUpdatePanel";
inline constexpr int kFirstControlId = 1000;

class Win32Form;

class Win32Control : public Control {
 public:
  // parent: the container the control is (or, for the animation, will be) created in.
  Win32Control(Win32Form& form, const ControlDesign& design, int id, HWND hwnd, HWND parent);

  std::string Caption() const override;
  void SetCaption(const std::string& v) override;
  std::string Text() const override;
  void SetText(const std::string& v) override;
  bool Enabled() const override;
  void SetEnabled(bool v) override;
  bool Visible() const override;
  void SetVisible(bool v) override;
  int Value() const override;
  void SetValue(int v) override;
  int Top() const override;
  void SetTop(int v) override;
  int Height() const override;
  void SetHeight(int v) override;
  void ClearItems() override;
  void AddItem(const std::string& v) override;
  std::vector<std::string> Items() const override;
  int ListIndex() const override;
  void SetListIndex(int v) override;
  void Repaint() override;

  const ControlDesign& Design() const { return design_; }
  int Id() const { return id_; }
  // The child window; nullptr for timers and menu items.
  HWND Hwnd() const;
  // Writes every new caption to log, once, leaving out the busy animation's added dots.
  void LogCaptions(std::FILE* log, std::string prefix);

 private:
  // The control's rectangle in its container, in pixels.
  RECT Rect() const;
  void MoveTo(const RECT& r);

  Win32Form& form_;
  const ControlDesign& design_;
  int id_;
  mutable HWND hwnd_;
  HWND parent_;
  std::optional<CaptionLog> captionLog_;

  friend class Win32Form;
};

class Win32Form : public Form {
 public:
  explicit Win32Form(const FormDesign& design);
  ~Win32Form() override;
  Win32Form(const Win32Form&) = delete;
  Win32Form& operator=(const Win32Form&) = delete;

  std::vector<Control*> Controls() const override;
  std::string Caption() const override;
  void SetCaption(const std::string& v) override;
  void Show() override;
  void Hide() override;
  bool Visible() const override;
  WindowState State() const override;
  void SetState(WindowState s) override;
  int Width() const override;
  int HeightTwips() const override;
  void Resize(int width, int height) override;
  void Close() override;
  void PopupMenu(const std::string& menu) override;

  HWND Hwnd() const { return hwnd_; }
  HMENU Menu() const { return menu_; }
  Win32Control* ControlById(int id) const;
  Win32Control* ControlOf(HWND hwnd) const;
  // Pixels at the window's DPI from twips, and back.
  int Pixels(int twips) const;
  int Twips(int pixels) const;

  // Runs the message of a dialog key (Tab, Enter, Escape) for the form it is meant for; false
  // when it is no such message. The message loops call it before dispatching.
  static bool DialogMessage(MSG& msg);
  // The first exception a handler threw while the system was calling the window (it cannot
  // cross the system's frames): thrown again by the message loop once the message is done.
  static void RethrowPending();

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  // Raises an event, keeping any exception for RethrowPending.
  void Report(const std::string& control, FormEvent event, int arg = 0);
  void Build(const FormDesign& design);
  HWND CreateChild(const ControlDesign& c, HWND parent, int id);
  void OrderTabs();
  void MakeFont();

  const FormDesign* design_ = nullptr;
  HWND hwnd_ = nullptr;
  HMENU menu_ = nullptr;
  UINT dpi_ = 96;
  HFONT font_ = nullptr;
  HBRUSH white_ = nullptr;
  std::vector<std::unique_ptr<Win32Control>> controls_;
  std::optional<WindowState> hiddenState_;  // a state set while hidden, applied when shown
  HWND focus_ = nullptr;  // the control that had the focus when the window was left
  bool centred_ = false, resizing_ = false;

  friend class Win32Control;
  static LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
};

class Win32FormFactory : public FormFactory {
 public:
  std::unique_ptr<Form> Create(const std::string& name) override;
};

}  // namespace quo
