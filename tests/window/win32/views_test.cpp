// The windows over their real Win32 views, in this process, on Wine's display: each control a
// real window where the design puts it, the events of real input reaching the logic, and what
// only a real window shows (the progress bar's position, the animation's frames).
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h.
#include <commctrl.h>
#undef MessageBox

#include <array>
#include <chrono>
#include <set>
#include <thread>

#include "platform/win32/wide.h"
#include "support/test_platform.h"
#include "support/window_driver.h"
#include "window/main_window.h"
#include "window/win32/win32_avi_player.h"
#include "window/win32/win32_form.h"
#include "window/win32/win32_windowing.h"
#include "writers/avi_writer.h"

namespace quo::test {
namespace {

// Lets the window's messages run for a while through the program's own pump (dialog keys
// included).
void PumpFor(int ms) {
  static Win32Windowing pump(false, "QuoUpdate");
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  do {
    pump.PumpMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  } while (std::chrono::steady_clock::now() < end);
}

// The main window, loaded and shown, its message boxes recorded.
struct Win32Window : ::testing::Test {
  Win32Window() {
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS |
                                                           ICC_ANIMATE_CLASS};
    InitCommonControlsEx(&classes);
    t.windowing.onPump = [] { PumpFor(0); };
    w.OnLoad();
    w.Show();
    PumpFor(50);
  }
  Win32Form& View() { return static_cast<Win32Form&>(w.View()); }
  HWND Hwnd(const std::string& name) { return static_cast<Win32Control&>(w[name]).Hwnd(); }
  static int Id(const std::string& name) { return ControlId(MainWindowDesign(), name); }
  std::string BoxTexts() {
    std::string all;
    for (const auto& b : t.windowing.boxes) all += b.text + "|";
    return all;
  }

  TestApp t;
  Win32FormFactory forms;
  UpdateRun run{*t.app};
  MainWindow w{run, forms};
};

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = L"";
  GetClassNameW(hwnd, name, 64);
  return name;
}

// Each control is a window of its class, child of its container's, with the design's identifier,
// caption and geometry at 96 dpi (twips / 15); the tab key visits the controls in the design's tab
// order, whatever their containers.
TEST_F(Win32Window, ControlsAreRealWindowsWhereTheDesignPutsThem) {
  const std::pair<const char*, const wchar_t*> classes[] = {
      {"Frame1", kPanelClass},      {"picAvi", kPanelClass},   {"AviPlayer", L"SysAnimate32"},
      {"picVersion", kPanelClass},  {"Label2", L"Static"},     {"txtVersion", L"Edit"},
      {"cmdRechercher", L"Button"}, {"lblPhase", L"Static"},   {"prgPhase", L"msctls_progress32"},
      {"cmdOptions", L"Button"},    {"cmdMettreAJour", L"Button"},
  };
  const FormDesign& design = MainWindowDesign();
  for (const auto& [name, cls] : classes) {
    SCOPED_TRACE(name);
    const ControlDesign& d = *FindDesign(design, name);
    HWND hwnd = Hwnd(name);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(_wcsicmp(ClassOf(hwnd).c_str(), cls), 0) << win32::Narrow(ClassOf(hwnd));
    EXPECT_EQ(GetParent(hwnd), d.container.empty() ? View().Hwnd() : Hwnd(d.container));
    EXPECT_EQ(GetDlgCtrlID(hwnd), Id(name));
    RECT r{};
    GetWindowRect(hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ((std::array<long, 4>{r.left, r.top, r.right - r.left, r.bottom - r.top}),
              (std::array<long, 4>{d.left / 15, d.top / 15, d.width / 15, d.height / 15}));
    if (d.kind == ControlKind::Label || d.kind == ControlKind::Button) {
      EXPECT_EQ(w[name].Caption(), d.caption);
    }
  }
  EXPECT_EQ(w["txtVersion"].Text(), "1.0.0");
  RECT client{};
  GetClientRect(View().Hwnd(), &client);
  EXPECT_EQ(client.right * 15, design.clientWidth);
  EXPECT_EQ(client.bottom * 15, design.clientHeight);
  EXPECT_EQ(View().Caption(), "Quorvanta Update");
  EXPECT_FALSE(IsWindowVisible(Hwnd("prgPhase")));  // hidden at load

  std::vector<HWND> tabs{Hwnd("cmdMettreAJour")};
  for (int i = 0; i < 4; ++i) tabs.push_back(GetNextDlgTabItem(View().Hwnd(), tabs.back(), FALSE));
  EXPECT_EQ(tabs, (std::vector<HWND>{Hwnd("cmdMettreAJour"), Hwnd("txtVersion"),
                                     Hwnd("cmdRechercher"), Hwnd("cmdOptions"),
                                     Hwnd("cmdMettreAJour")}));
}

// Input as the system delivers it: a click, Enter typed in the version box (not taken as the
// window's default button), the dots timer, a menu item, the context menu, a drag of the border,
// the close box. In the settings dialog Enter and Escape press its default and cancel buttons.
TEST_F(Win32Window, EventsOfRealInputReachTheLogic) {
  w["txtVersion"].SetText("1.2");
  SendMessageW(Hwnd("cmdRechercher"), BM_CLICK, 0, 0);
  SetFocus(Hwnd("txtVersion"));
  PostMessageW(Hwnd("txtVersion"), WM_KEYDOWN, VK_RETURN, 0);
  PumpFor(50);
  PostMessageW(View().Hwnd(), WM_COMMAND, WPARAM(Id("mnuaide")), 0);
  PumpFor(50);
  // Two wrong versions (no search), then the about box.
  EXPECT_EQ(BoxTexts(), "||Quorvanta Update V " + std::to_string(QUO_VERSION_MAJOR) + "." +
                            std::to_string(QUO_VERSION_MINOR) + "." +
                            std::to_string(QUO_VERSION_PATCH) + "\r\n|");

  run.phaseText = "Connexion";
  w.MoveDots(true);
  PumpFor(1100);
  w.MoveDots(false);
  EXPECT_EQ(w["lblPhase"].Caption().rfind("Connexion..", 0), 0u) << w["lblPhase"].Caption();

  // The pop-up menu closes by itself a moment after it opens.
  SetTimer(nullptr, 0, 200,
           [](HWND, UINT, UINT_PTR id, DWORD) { KillTimer(nullptr, id), EndMenu(); });
  SendMessageW(View().Hwnd(), WM_CONTEXTMENU, WPARAM(View().Hwnd()), MAKELPARAM(10, 10));
  EXPECT_EQ(View().LastPopup(), "mnuMain");

  const int width = View().Width(), height = View().HeightTwips();
  SetWindowPos(View().Hwnd(), nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
  PumpFor(50);
  EXPECT_EQ(std::make_pair(View().Width(), View().HeightTwips()), std::make_pair(width, height));

  w.SetProgress(40);
  EXPECT_EQ(SendMessageW(Hwnd("prgPhase"), PBM_GETPOS, 0, 0), 40);

  SendMessageW(View().Hwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(w.Unloaded());
  EXPECT_FALSE(IsWindowVisible(View().Hwnd()));

  const std::unique_ptr<Form> dialog = forms.Create("frmParam");
  std::string pressed;
  for (const char* button : {"cmdOK", "cmdAnnuler"})
    dialog->Connect(button, FormEvent::Click, [&pressed, button](int) { pressed += button; });
  dialog->Show();
  const HWND box = static_cast<Win32Control&>((*dialog)["txtAdresse"]).Hwnd();
  SetFocus(box);
  for (const WPARAM key : {VK_RETURN, VK_ESCAPE}) PostMessageW(box, WM_KEYDOWN, key, 0);
  PumpFor(50);
  EXPECT_EQ(pressed, "cmdOKcmdAnnuler");
}

// The busy animation plays an RLE8 file of the program folder in the real control: the frames
// change between two grabs, the magenta of the frame shows the box's background, the frame is
// centred; a missing file hides the box.
TEST_F(Win32Window, TheAnimationControlPlaysTheProgramsClips) {
  Win32AnimationService service(static_cast<Win32Control&>(w["AviPlayer"]));
  t.platform.animation = &service;
  const int fw = 40, fh = 20;
  auto frame = [&](std::uint32_t square) {
    writers::AviImage img(std::size_t(fw) * fh, 0xFF00FF);
    for (int y = 5; y < 15; ++y)
      for (int x = 10; x < 30; ++x) img[std::size_t(y) * fw + x] = square;
    return img;
  };
  MakeDirs(t.dir / "AVI");
  writers::WriteAvi(t.dir / "AVI/PulseConnect.avi", writers::AviKind::Rle8, fw, fh, 10,
                    {frame(0x00FF00), frame(0x0000FF)});
  w["picVersion"].SetVisible(false);  // it lies over the animation, as once launched
  w.PlayAnimation("PulseConnect");
  EXPECT_TRUE(IsWindowVisible(Hwnd("picAvi")));
  EXPECT_TRUE(service.Player().Playing());
  std::vector<Pixels> grabs;
  for (int i = 0; i < 6; ++i) grabs.push_back(Grab(Hwnd("AviPlayer"))), PumpFor(70);
  const std::size_t centre = std::size_t(grabs[0].height / 2) * grabs[0].width + grabs[0].width / 2;
  std::set<std::uint32_t> centres;
  for (const auto& g : grabs) centres.insert(g.bgrx[centre] & 0xFFFFFF);
  EXPECT_EQ(centres, (std::set<std::uint32_t>{0x00FF00, 0x0000FF}));
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const std::uint32_t background = GetRValue(face) << 16 | GetGValue(face) << 8 | GetBValue(face);
  EXPECT_EQ(grabs[0].bgrx[centre - 15] & 0xFFFFFF, background) << "magenta shows the background";

  w.PlayAnimation("Synchronize");  // no such file
  EXPECT_FALSE(IsWindowVisible(Hwnd("picAvi")));
  EXPECT_FALSE(service.Player().Playing());
}

}  // namespace
}  // namespace quo::test
