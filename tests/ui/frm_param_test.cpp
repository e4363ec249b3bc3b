// The settings dialog's logic over the in-memory form: the stored frequency and what it
// selects, and what "Valider" stores back.
#include "ui/frm_param.h"

#include <gtest/gtest.h>

#include "support/test_platform.h"
#include "support/watched_window.h"
#include "ui/traduire_form.h"

namespace quo {
namespace {

TEST(FrmParam, TheStoredFrequencySelectsAnEntry) {
  const struct {
    const char* stored;  // nullptr: no key
    int selected;
    const char* savedBack;
  } cases[] = {{nullptr, 0, "0"}, {"", 0, "0"},    {"1", 1, "1"},   {"2", 2, "2"},
               {"1.5", 2, "2"},   {"2.5", 2, "2"}, {"0.5", 0, "0"}, {"-1", -1, "-1"},
               {"7", 0, "0"},     {"-3", 0, "0"},  {"abc", 0, "0"}, {" 1 ", 1, "1"}};
  for (const auto& c : cases) {
    test::TestApp t;
    if (c.stored != nullptr)
      test::WriteFile(t.settingsPath(), std::string("[temps]\r\nfrequence=") + c.stored + "\r\n");
    MemoryFormFactory forms;
    test::WatchedWindow w(*t.app, forms);
    frmParam& p = w.Param();
    EXPECT_EQ(p["cboFrequence"].ListIndex(), c.selected) << c.stored;
    EXPECT_EQ(p["cboFrequence"].Items().size(), 3u);
    p.View().Raise("cmdOK", FormEvent::Click);
    EXPECT_EQ(t.app->ini.Read("temps", "frequence"), c.savedBack) << c.stored;
  }
}

TEST(FrmParam, OptionsWhileOpenKeepsTheEditedFields) {
  test::TestApp t;
  test::WriteFile(t.settingsPath(), "[Server]\r\nUser=marie\r\n");
  MemoryFormFactory forms;
  test::WatchedWindow w(*t.app, forms);
  w.View().Raise("cmdOptions", FormEvent::Click);
  frmParam& p = w.Param();
  p["txtUser"].SetText("paul");
  w.View().Raise("cmdOptions", FormEvent::Click);
  EXPECT_EQ(&w.Param(), &p);
  EXPECT_EQ(p["txtUser"].Text(), "paul");
  EXPECT_TRUE(p.View().Visible());
  p.View().Raise("", FormEvent::CloseRequest);  // the close box cancels
  EXPECT_TRUE(p.Closed());
  EXPECT_EQ(w.Param()["txtUser"].Text(), "marie");  // loaded again from the file
}

TEST(TraduireForm, HelpContextsAndMissingTexts) {
  test::TestApp t;
  t.app->translation.LoadText(std::string(40 - 8, ' ').insert(0, "frmParam") +
                              std::string(40 - 5, ' ').insert(0, "cmdOK") + "OK\r\n");
  MemoryForm form(FrmParamDesign());
  form.SetHelpContext(7);
  form["txtUser"].SetHelpContext(3);
  form["txtMDP"].SetHelpContext(-1);
  TraduireForm(t.app->translation, form, true);
  EXPECT_EQ(form["cmdOK"].Caption(), "OK");
  EXPECT_EQ(form["cmdAnnuler"].Caption(), "Annuler");  // no entry: design text stays
  EXPECT_EQ(form.Caption(), "Configuration");
  EXPECT_EQ(form["txtUser"].HelpContext(), 3);
  EXPECT_EQ(form["txtMDP"].HelpContext(), 7);
  EXPECT_EQ(form["Label1"].HelpContext(), 7);
}

}  // namespace
}  // namespace quo
