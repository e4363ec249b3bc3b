#include "window/translate_form.h"

#include "translation/translation_table.h"
#include "window/form.h"

namespace quo {

void TranslateForm(const TranslationTable& table, Form& window, bool keepButtonHeights) {
  const std::string& name = window.Name();
  if (std::string t = table.Translate(name, name); !t.empty()) window.SetCaption(t);
  for (Control* c : window.Controls()) {
    if (std::string t = table.Translate(c->Name(), name); !t.empty()) c->SetCaption(t);
    if (c->HelpContext() <= 0) c->SetHelpContext(window.HelpContext());
    if (std::string t = table.Translate(c->Name(), name + "ToolTipText"); !t.empty())
      c->SetToolTip(t);
  }
  if (keepButtonHeights) return;
  const Control* ok = window.Find("cmdOK");
  if (ok == nullptr) return;
  for (Control* c : window.Controls())
    if (c != ok && c->IsCommandButton() && c->Top() == ok->Top()) c->SetHeight(ok->Height());
}

}  // namespace quo
