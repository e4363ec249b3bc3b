// A window as the logic sees it: a set of named controls with the properties it needs. The Qt
// views map each control to the widget of the same objectName; tests use MemoryForm. Geometry
// (Top, Height) is in twips. Properties a kind of control lacks are stored and ignored.
#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace quo {

class Control {
 public:
  explicit Control(std::string name) : name_(std::move(name)) {}
  virtual ~Control() = default;

  const std::string& Name() const { return name_; }

  virtual std::string Caption() const { return caption_; }
  virtual void SetCaption(const std::string& v) { caption_ = v; }
  virtual std::string Text() const { return text_; }
  virtual void SetText(const std::string& v) { text_ = v; }
  virtual std::string ToolTip() const { return toolTip_; }
  virtual void SetToolTip(const std::string& v) { toolTip_ = v; }
  virtual bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool v) { enabled_ = v; }
  virtual bool Visible() const { return visible_; }
  virtual void SetVisible(bool v) { visible_ = v; }
  virtual int Value() const { return value_; }
  virtual void SetValue(int v) { value_ = v; }
  virtual int Top() const { return top_; }
  virtual void SetTop(int v) { top_ = v; }
  virtual int Height() const { return height_; }
  virtual void SetHeight(int v) { height_ = v; }
  virtual int HelpContext() const { return helpContext_; }
  virtual void SetHelpContext(int v) { helpContext_ = v; }
  // Drop-down lists.
  virtual void ClearItems() { items_.clear(), listIndex_ = -1; }
  virtual void AddItem(const std::string& v) { items_.push_back(v); }
  virtual std::vector<std::string> Items() const { return items_; }
  virtual int ListIndex() const { return listIndex_; }
  virtual void SetListIndex(int v) { listIndex_ = v; }
  // Paints the control now (labels during long operations).
  virtual void Repaint() {}

  // True for push buttons ("cmd" prefix).
  bool IsCommandButton() const { return name_.rfind("cmd", 0) == 0; }

 private:
  std::string name_, caption_, text_, toolTip_;
  bool enabled_ = true, visible_ = true;
  int value_ = 0, top_ = 0, height_ = 0, helpContext_ = 0, listIndex_ = -1;
  std::vector<std::string> items_;
};

enum class WindowState { Normal, Minimized };

// Events a view reports to the window logic. A control name of "" means the window itself.
enum class FormEvent {
  Click,         // button pressed, menu item chosen
  KeyPress,      // a character typed in a control; the argument is its code (13 for Enter)
  Timer,         // a timer control's interval elapsed
  Activate,      // the window became active
  Resize,        // the window's size or state changed
  CloseRequest,  // the user asked to close the window (close box); the logic decides
  ContextMenu,   // the user asked for the window's context menu (right click, menu key)
};

class Form {
 public:
  explicit Form(std::string name) : name_(std::move(name)) {}
  virtual ~Form() = default;

  const std::string& Name() const { return name_; }
  virtual std::string Caption() const { return caption_; }
  virtual void SetCaption(const std::string& v) { caption_ = v; }
  virtual int HelpContext() const { return helpContext_; }
  virtual void SetHelpContext(int v) { helpContext_ = v; }

  // Controls in the window's control order, menu items included.
  virtual std::vector<Control*> Controls() const = 0;
  // The control of that name, or nullptr.
  Control* Find(const std::string& name) const;
  // The control of that name; a missing one is a programming error (throws quo::Error).
  Control& operator[](const std::string& name) const;

  virtual void Show() { visible_ = true; }
  virtual void Hide() { visible_ = false; }
  virtual bool Visible() const { return visible_; }
  virtual WindowState State() const { return state_; }
  virtual void SetState(WindowState s) { state_ = s; }
  // Outer size in twips.
  virtual int Width() const { return width_; }
  virtual int HeightTwips() const { return height_; }
  virtual void Resize(int width, int height) { width_ = width, height_ = height; }
  // Closes the window for good (the view destroys it; the logic's unload handlers ran already).
  virtual void Close() { visible_ = false; }
  // Pops up the named menu at the pointer.
  virtual void PopupMenu(const std::string& menu) { lastPopup_ = menu; }
  const std::string& LastPopup() const { return lastPopup_; }

  // The logic connects its handlers; the view (or a test) raises the events.
  using Handler = std::function<void(int)>;
  void Connect(const std::string& control, FormEvent event, Handler handler) {
    handlers_[{control, event}] = std::move(handler);
  }
  bool HasHandler(const std::string& control, FormEvent event) const {
    return handlers_.count({control, event}) != 0;
  }
  // Runs the connected handler; false when none is connected. A disabled control receives no
  // clicks and no keys, as on screen.
  bool Raise(const std::string& control, FormEvent event, int arg = 0);

 private:
  std::map<std::pair<std::string, FormEvent>, Handler> handlers_;
  std::string name_, caption_, lastPopup_;
  int helpContext_ = 0, width_ = 0, height_ = 0;
  bool visible_ = false;
  WindowState state_ = WindowState::Normal;
};

enum class ControlKind {
  Frame,         // a group box around other controls, with or without a caption
  Label,         // static text
  TextBox,       // single-line text box
  Button,        // push button
  ProgressBar,   // 0 to 100
  DropDownList,  // a list to choose from, no typing
  PictureBox,    // a plain container
  Animation,     // the busy animation's player
  Timer,         // no window: raises Timer every interval while enabled
  Menu,          // a pop-up menu (never a menu bar)
  MenuItem,      // an item of the menu named as its container; caption "-" is a separator
};

// Enter presses the window's default button, Escape its cancel button.
enum class ButtonRole { None, Default, Cancel };

// One control of a window's design: its kind, name, container, geometry in twips relative to
// the container, design caption and place in the tab order (-1: none).
struct ControlDesign {
  ControlKind kind;
  std::string name, container;
  int left = 0, top = 0, width = 0, height = 0;
  std::string caption;
  int tabIndex = -1;
  bool visible = true;
  ButtonRole role = ButtonRole::None;
  int intervalMs = 0;            // timers
  bool whiteBackground = false;  // labels: black text on white
};

struct FormDesign {
  std::string name, caption;
  int clientWidth = 0, clientHeight = 0;  // twips
  std::vector<ControlDesign> controls;    // in control order
  bool minimizeButton = false;  // and a sizing border (the logic decides what a new size does)
};

const FormDesign& MainWindowDesign();
const FormDesign& SettingsDialogDesign();
// The design of a control, or nullptr.
const ControlDesign* FindDesign(const FormDesign& design, const std::string& control);

// A form held in memory, built from a design.
class MemoryForm : public Form {
 public:
  explicit MemoryForm(const FormDesign& design);
  std::vector<Control*> Controls() const override;
  // From now on, every new caption of the named control is told on log (CaptionLog).
  void LogCaptions(const std::string& control, std::FILE* log, std::string prefix);

 private:
  std::vector<std::unique_ptr<Control>> controls_;
};

// Creates the views of the windows (Qt forms in production, memory forms in tests).
class FormFactory {
 public:
  virtual ~FormFactory() = default;
  virtual std::unique_ptr<Form> Create(const std::string& name) = 0;
};

class MemoryFormFactory : public FormFactory {
 public:
  std::unique_ptr<Form> Create(const std::string& name) override;
};

}  // namespace quo
