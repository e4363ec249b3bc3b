// The main window's own logic over the in-memory form: the version check and the search it
// starts, the dots and the about box.
#include <gtest/gtest.h>

#include <regex>

#include "support/test_platform.h"
#include "support/watched_window.h"

namespace quo {
namespace {

struct Window {
  Window() : w(*t.app, forms) { w.Form_Load(); }
  test::TestApp t;
  MemoryFormFactory forms;
  test::WatchedWindow w;
};

TEST(VerifieVersion, AcceptsThreeNumbersAndNormalisesThem) {
  const struct {
    const char* typed;
    bool ok;
    const char* after;
  } cases[] = {{"01.002.3", true, "1.2.3"},
               {"1..3", true, "1.0.3"},
               {" 7.8.9", true, "7.8.9"},
               {"-1.+2.3x", true, "-1.2.3"},
               {"1.2", false, "1.2"},
               {"1.2.3.4", false, "1.2.3.4"},
               {"", false, ""}};
  for (const auto& c : cases) {
    Window x;
    x.w["txtVersion"].SetText(c.typed);
    EXPECT_EQ(x.w.VerifieVersion(), c.ok) << c.typed;
    EXPECT_EQ(x.w["txtVersion"].Text(), c.after) << c.typed;
  }
}

TEST(FrmTestFTP, ASearchStartsForAValidVersionOnlyAndNeverDuringAnOperation) {
  Window x;
  x.t.WriteLanguage(1036, {{"_", "MauvaiseVersion", "Version incorrecte"}});
  x.t.app->translation.ChargerLangue();
  x.w["txtVersion"].SetText("01.002.3");
  x.w.inSearch = [&x] {  // the user clicks, or presses Enter, while the search runs
    x.w.View().Raise("cmdRechercher", FormEvent::Click);
    x.w.View().Raise("txtVersion", FormEvent::KeyPress, 13);
  };
  x.w.View().Raise("txtVersion", FormEvent::KeyPress, 13);
  x.w.View().Raise("txtVersion", FormEvent::KeyPress, 'a');  // other keys search nothing
  EXPECT_EQ(x.w.searches, 1);
  EXPECT_EQ(x.w.MyVersion, "1.2.3");
  x.w["txtVersion"].SetText("1.2");
  x.w.View().Raise("cmdRechercher", FormEvent::Click);
  EXPECT_EQ(x.w.searches, 1);
  ASSERT_EQ(x.t.windowing.boxes.size(), 1u);
  EXPECT_EQ(x.t.windowing.boxes[0].text, "Version incorrecte");
}

TEST(FrmTestFTP, TheDotsCycleAndTheAboutBoxShowsThePhaseWithoutThem) {
  Window x;
  x.w.TextePhase = "Téléchargement";
  std::vector<std::string> seen;
  for (int i = 0; i < 6; ++i) {
    x.w.View().Raise("tmrMvt", FormEvent::Timer);
    seen.push_back(x.w["lblPhase"].Caption().substr(x.w.TextePhase.size()));
  }
  EXPECT_EQ(seen, (std::vector<std::string>{".", "..", "....", "........", ".", ".."}));
  x.w.View().Raise("mnuaide", FormEvent::Click);
  ASSERT_EQ(x.t.windowing.boxes.size(), 1u);
  EXPECT_TRUE(
      std::regex_match(x.t.windowing.boxes[0].text,
                       std::regex("Quorvanta Update V \\d+\\.\\d+\\.\\d+\r\nTéléchargement")))
      << x.t.windowing.boxes[0].text;
}

}  // namespace
}  // namespace quo
