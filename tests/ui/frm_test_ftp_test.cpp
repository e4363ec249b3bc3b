// The main window's own logic over the in-memory form: the version check, the dots, the about
// box and the notification tooltip.
#include <gtest/gtest.h>

#include "platform/tray.h"
#include "support/test_platform.h"
#include "support/watched_window.h"
#include "ui/mdl_tray.h"

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

TEST(FrmTestFTP, TheDotsCycleOneTwoFourEight) {
  Window x;
  x.w.TextePhase = "Téléchargement";
  std::vector<std::string> seen;
  for (int i = 0; i < 6; ++i) {
    x.w.View().Raise("tmrMvt", FormEvent::Timer);
    seen.push_back(x.w["lblPhase"].Caption().substr(x.w.TextePhase.size()));
  }
  EXPECT_EQ(seen, (std::vector<std::string>{".", "..", "....", "........", ".", ".."}));
}

TEST(FrmTestFTP, TheAboutBoxShowsTheVersionAndThePhase) {
  Window x;
  x.w.SetPhase("Installation terminée");
  x.w.View().Raise("mnuaide", FormEvent::Click);
  ASSERT_EQ(x.t.windowing.boxes.size(), 1u);
  EXPECT_EQ(x.t.windowing.boxes[0].text, "Quorvanta Update V " + std::to_string(QUO_VERSION_MAJOR) +
                                             "." + std::to_string(QUO_VERSION_MINOR) + "." +
                                             std::to_string(QUO_VERSION_PATCH) +
                                             "\r\nInstallation terminée");
}

class RecordingTray : public Tray {
 public:
  bool Available() override { return true; }
  void Add(const std::string& t, std::function<void()>, std::function<void()>) override {
    tips.push_back(t);
  }
  void SetTip(const std::string& t) override { tips.push_back(t); }
  void Remove() override { ++removed; }
  std::vector<std::string> tips;
  int removed = 0;
};

TEST(MdlTray, TheTooltipShowsAtMost63Characters) {
  test::TestApp t;
  RecordingTray tray;
  t.platform.tray = &tray;
  MemoryFormFactory forms;
  test::WatchedWindow w(*t.app, forms);
  w.Form_Load();
  const std::string tip63 = std::string(62, 'a') + "é";  // 63 characters, 64 bytes
  w.TraySetTip(tip63);
  w.TraySetTip(tip63 + "bcd");
  ASSERT_EQ(tray.tips.size(), 3u);
  EXPECT_EQ(tray.tips[0], "Quorvanta Update");
  EXPECT_EQ(tray.tips[1], tip63);
  EXPECT_EQ(tray.tips[2], tip63);
  w.UnloadMe();
  EXPECT_EQ(tray.removed, 1);
  w.UnloadMe();  // a second close does nothing
  EXPECT_EQ(tray.removed, 1);
}

}  // namespace
}  // namespace quo
