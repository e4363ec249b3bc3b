// The Qt views: a Form over a top-level widget built from a Designer form, each Control over
// the widget, action or timer of the same objectName. The views only display and report events
// (Form::Raise); every decision stays in the window logic.
#pragma once

#include <QObject>
#include <QPointer>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "window/caption_log.h"
#include "window/form.h"

class QWidget;

namespace quo {

class QtControl : public Control {
 public:
  QtControl(const std::string& name, QObject* object);

  std::string Caption() const override;
  void SetCaption(const std::string& v) override;
  std::string Text() const override;
  void SetText(const std::string& v) override;
  std::string ToolTip() const override;
  void SetToolTip(const std::string& v) override;
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

  QObject* Object() const { return object_; }
  // Writes every new caption to log, once, leaving out the busy animation's added dots.
  void LogCaptions(std::FILE* log, std::string prefix);

 private:
  QPointer<QObject> object_;
  std::optional<CaptionLog> captionLog_;
};

class QtForm : public QObject, public Form {
 public:
  // Takes ownership of the top-level widget; design gives the controls in control order.
  QtForm(QWidget* window, const FormDesign& design);
  ~QtForm() override;

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

  QWidget* Window() const { return window_.get(); }
  // The widget, action or timer of a control.
  QObject* Object(const std::string& control) const;
  template <class T>
  T* Get(const std::string& control) const {
    return qobject_cast<T*>(Object(control));
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Wire(QtControl& control);

  std::unique_ptr<QWidget> window_;
  std::vector<std::unique_ptr<QtControl>> controls_;
  bool centred_ = false;
};

class QtFormFactory : public FormFactory {
 public:
  std::unique_ptr<Form> Create(const std::string& name) override;
};

// Twips (1/1440 inch) and pixels at 96 dpi.
constexpr int kTwipsPerPixel = 15;

}  // namespace quo
