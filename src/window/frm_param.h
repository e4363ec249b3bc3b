// frmParam: the settings dialog's logic (server, product folder, check schedule).
#pragma once

#include <memory>

#include "window/form.h"

namespace quo {

class AppContext;
class frmTestFTP;

class frmParam {
 public:
  // Creating the dialog loads it: Form_Load fills the controls from the settings file.
  frmParam(AppContext& app, frmTestFTP& main, std::unique_ptr<Form> form);

  Form& View() { return *form_; }
  Control& operator[](const std::string& name) { return (*form_)[name]; }

  void Form_Load();
  void cmdOK_Click();
  void cmdAnnuler_Click();
  void cmdBrowse_Click();
  // Shows the dialog, or brings it forward when already shown (fields not read again).
  void Show();
  bool Closed() const { return closed_; }

 private:
  AppContext& app_;
  frmTestFTP& main_;
  std::unique_ptr<Form> form_;
  bool closed_ = false;
};

}  // namespace quo
