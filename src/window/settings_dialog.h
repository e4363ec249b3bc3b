// SettingsDialog: the settings dialog's logic (server, product folder, check schedule).
#pragma once

#include <memory>

#include "window/form.h"

namespace quo {

class AppContext;
class MainWindow;

class SettingsDialog {
 public:
  // Creating the dialog loads it: OnLoad fills the controls from the settings file.
  SettingsDialog(AppContext& app, MainWindow& main, std::unique_ptr<Form> form);

  Form& View() { return *form_; }
  Control& operator[](const std::string& name) { return (*form_)[name]; }

  void OnLoad();
  void OnOkClick();
  void OnCancelClick();
  void OnBrowseClick();
  // Shows the dialog, or brings it forward when already shown (fields not read again).
  void Show();
  bool Closed() const { return closed_; }

 private:
  AppContext& app_;
  MainWindow& main_;
  std::unique_ptr<Form> form_;
  bool closed_ = false;
};

}  // namespace quo
