// The start-up sequence up to the window: log lines, settings, language, errors, and the check
// schedule with a fixed clock.
#include "startup/launch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/dates.h"
#include "core/text.h"
#include "startup/schedule.h"
#include "support/test_platform.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace quo {
namespace {

using test::ReadFile;

TEST(Launch, OnlyALaunchThatRunsAloneLogsItsCommandLine) {
  test::TestApp t;
  const std::string q = test::Abs("/opt/q/");
  const LaunchPlan interactive = PlanLaunch(*t.app, {});
  EXPECT_FALSE(test::Exists(t.prog("log.txt")));
  EXPECT_EQ(interactive.settings.address, QUO_DEFAULT_SERVER);  // no settings file: defaults
  EXPECT_EQ(interactive.settings.installDir, t.dir.path());
  std::filesystem::remove_all(t.prog("LanguesUpdate"));
  t.system.instanceFree = false;  // another instance runs: not even the language folder is made
  const LaunchPlan busy = PlanLaunch(*t.app, {"2.1.0", q});
  EXPECT_TRUE(!busy.proceed && busy.status == 4);
  EXPECT_FALSE(test::Exists(t.prog("LanguesUpdate")));
  t.system.instanceFree = true;
  const LaunchPlan p = PlanLaunch(*t.app, {"2.1.0", q});  // no schedule: stops quietly
  EXPECT_TRUE(!p.proceed && p.error.empty() && p.status == 0);
  EXPECT_EQ(ReadFile(t.prog("log.txt")), "2.1.0 " + q + "\r\n2.1.0\r\n" + q + "\r\n");
  EXPECT_FALSE(test::Exists(t.settingsPath()));
  EXPECT_TRUE(t.windowing.boxes.empty());
}

// A journal beside the program is recovered for the folder this start is about, before the
// schedule, in its language: the command line's folder when it gives a full path, else the
// settings' Destination. A recovery that fails ends the start (1) with its reason.
TEST(Launch, AJournalIsRecoveredForTheFolderOfThisStart) {
  test::TestApp t;
  const std::string given = test::Abs("/given/"), dest = test::Abs("/dest/");
  t.ini.Set(t.settingsPath(), "Server", "Destination", dest);
  test::WriteFile(t.app->JournalPath(), "");
  for (const auto& [args, expected] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"2.1.0", given, "1033"}, given},
           {{"2.1.0", "rel/", "1036"}, dest},
           {{"2.1.0//1036"}, dest},
           {{}, dest}}) {
    std::string folder;
    const LaunchPlan p = PlanLaunch(*t.app, args, [&](AppContext& a, const std::string& f) {
      return folder = f, std::to_string(a.translation.currentLanguage);  // in the start's language
    });
    EXPECT_EQ(folder, expected);
    EXPECT_EQ(p.error, folder == given ? "1033" : "1036");
    EXPECT_TRUE(!p.proceed && p.status == 1);
  }
}

TEST(Launch, ModesFromTheFields) {
  const struct {
    std::vector<std::string> args;
    LaunchMode mode;
    int language;
  } cases[] = {
      {{}, LaunchMode::Interactive, 0},
      {{"2.1.0", test::Abs("/p"), "1033", "1"}, LaunchMode::Forced, 1033},
      {{"2.1.0", test::Abs("/p"), "1036", "0"}, LaunchMode::Launched, 1036},  // due below
      {{"2.1.0", test::Abs("/p"), "1036", "oui"}, LaunchMode::Launched, 1036},
      {{"2.1.0", test::Abs("/p"), ""}, LaunchMode::Launched, 0},
      {{"2.1.0", test::Abs("/p"), "abc", "1"}, LaunchMode::Forced, 0},
      {{"2.1.0", test::Abs("/p"), "1035.5", "1"}, LaunchMode::Forced, 1036},  // half to even
      {{"/C:\\Prod"}, LaunchMode::BadCommandLine, 0},
      {{"2.1.0"}, LaunchMode::BadCommandLine, 0},
      {{"2.1.0//1036"}, LaunchMode::BadCommandLine, 0},
  };
  for (const auto& c : cases) {
    test::TestApp t;
    t.system.env["QUOUPDATE_UNATTENDED"] = std::nullopt;  // a person answers the window
    t.app->ini.Write("temps", "frequence", "1");  // due: no installation recorded
    t.WriteLanguage(1036, {{"_", "Sortir", "Quitter"}});
    const LaunchPlan p = PlanLaunch(*t.app, c.args);
    SCOPED_TRACE(c.args.empty() ? "(none)" : c.args[0]);
    EXPECT_EQ(p.mode, c.mode);
    EXPECT_TRUE(p.proceed);
    EXPECT_EQ(p.language, c.language);
    if (p.languageGiven) {
      EXPECT_EQ(t.app->translation.currentLanguage, c.language) << "the fall-back is undone";
    }
    // Every run that goes on has texts: French when the command line names no language.
    EXPECT_EQ(t.app->Translate("Sortir"), "Quitter");
  }
}

TEST(Launch, FifthFieldNamesTheServerForThisRunOnly) {
  test::TestApp t;
  t.app->ini.Write("Server", "Adresse", "ftp.example");
  const std::string before = ReadFile(t.settingsPath());
  const auto p = PlanLaunch(*t.app, {"2.1.0", test::Abs("/p"), "1036", "1", "127.0.0.1:2121"});
  EXPECT_EQ(p.settings.address, "127.0.0.1:2121");
  EXPECT_EQ(ReadFile(t.settingsPath()), before);
}

// What stands where the log or the settings file should be. A log that cannot be written stops
// nothing and is said once on standard error (a FIFO never blocks, a link is never followed);
// settings that cannot be read refuse the run, since they would pass for checks turned off.
TEST(Launch, ProgramFolderFilesThatAreNotFiles) {
  enum Kind { Folder, Fifo, Link };
  const struct {
    bool settings;
    Kind kind;
  } cases[] = {{false, Folder}, {false, Fifo}, {false, Link}, {true, Folder}, {true, Fifo}};
  for (const auto& c : cases) {
    if (test::kWindows && c.kind != Folder) continue;  // no FIFO, no link without privileges
    test::TestApp t;
    const std::string path = c.settings ? t.settingsPath() : t.prog("log.txt");
    test::WriteFile(t.prog("elsewhere.txt"), "x");
    if (c.kind == Folder) test::MakeDirs(path);
#ifndef _WIN32
    if (c.kind == Fifo) {
      EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
    }
    if (c.kind == Link) std::filesystem::create_symlink(t.prog("elsewhere.txt"), path);
#endif
    SCOPED_TRACE(path + " " + std::to_string(c.kind));
    testing::internal::CaptureStderr();
    const LaunchPlan p = PlanLaunch(*t.app, {"2.1.0", test::Abs("/p"), "1036", "1"});
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadFile(t.prog("elsewhere.txt")), "x");
    if (c.settings) {
      EXPECT_TRUE(!p.proceed && p.status == 2);
      EXPECT_EQ(p.error, t.app->Translate("ParametresIllisibles") + " " + path);
      EXPECT_EQ(ReadFile(t.prog("log.txt")), p.error + "\r\n");
    } else {
      EXPECT_TRUE(p.proceed) << p.error;
      EXPECT_TRUE(StartsWith(err, "QuoUpdate: " + t.app->Translate("LogNonEcrit") + " ")) << err;
      EXPECT_EQ(std::ranges::count(err, '\n'), 1) << err;
    }
  }
}

// A version that is not three numbers, a folder that depends on the current directory (the
// Windows form of a folder, on Linux), or a server address that is not one, is refused and logged,
// even with no check due; unattended, so is an empty or missing version or folder (its window
// would wait for nobody).
TEST(Launch, RefusesAVersionFolderOrAddressTheRunCannotUse) {
  const struct {
    std::vector<std::string> args;
    const char* why;
  } cases[] = {
      {{test::kWindows ? "2.1.0/\\Prod/1036" : "2.1.0/C:\\Prod/1036"}, "DossierNonAbsolu"},
      {{"2.1.0", "Prod", "1033", "1"}, "DossierNonAbsolu"},
      {{"1x.2.3", test::Abs("/p"), "1036", "1"}, "MauvaiseVersion"},
      {{"-1.2.3", test::Abs("/p")}, "MauvaiseVersion"},
      {{"2.1.0", test::Abs("/p"), "1036", "0", "ftp.example.org#x"}, "AdresseServeurInvalide"},
      {{"2.1.0", test::Abs("/p"), "1033", "1", "::1]:21"}, "AdresseServeurInvalide"},
      {{"2.1.0//1036"}, "DossierNonAbsolu"},
      {{"2.1.0"}, "DossierNonAbsolu"},
      {{"/C:\\Prod"}, "MauvaiseVersion"}};
  for (const auto& c : cases) {
    test::TestApp t;
    t.system.env["QUOUPDATE_UNATTENDED"] = "1";
    t.WriteLanguage(1036, {{"_", "MauvaiseVersion", "Version ?"}});
    const LaunchPlan p = PlanLaunch(*t.app, c.args);
    SCOPED_TRACE(c.args[0]);
    EXPECT_TRUE(!p.proceed && p.status == 2);
    EXPECT_TRUE(StartsWith(p.error + " ", t.app->Translate(c.why) + " ")) << p.error;
    EXPECT_TRUE(EndsWith(ReadFile(t.prog("log.txt")), p.error + "\r\n"));
  }
}

TEST(Pause, CyclesRoundHalfToEven) {
  const struct {
    int ms, cycles;
  } cases[] = {{4, 0}, {5, 0}, {15, 2}, {25, 2}, {100, 10}, {1000, 100}, {0, 0}, {-50, 0}};
  for (const auto& c : cases) {
    test::TestApp t;
    t.app->Pause(c.ms);
    EXPECT_EQ(t.system.sleeps, c.cycles) << c.ms;
    EXPECT_EQ(t.windowing.pumps, c.cycles) << c.ms;
  }
}

struct Case {
  const char* frequency;
  const char* lastText;  // nullptr: no key
  bool due;
};

TEST(IsCheckDue, Table) {
  // Now: Sunday 06/12/2026 10:00:00.
  const Case cases[] = {
      {nullptr, nullptr, false},            // fresh installation: disabled
      {"0", "01/01/2000 00:00:00", false},  // disabled
      {"1", nullptr, true},                 // schedule set, no installation yet
      {"1", "not a date", true},            // unreadable
      {"1", "31/02/2026 10:00:00", true},   // impossible date
      {"1", "29/11/2026 23:59:59", true},   // 7 calendar days, 6 days 10 h by the clock
      {"1", "30/11/2026 00:00:00", false},  // 6 calendar days
      {"1", "2026-11-29 23:59:59", true},   // ISO form
      {"1", "13/12/2026 10:00:00", false},  // in the future (clock set back)
      {"2", "30/11/2026 10:00:00", true},   // last day of the previous month
      {"2", "01/12/2026 00:00:00", false},  // earlier the same month
      {"2", "31/12/2025 00:00:00", true},   // across a year
      {"3", nullptr, false},                // no such schedule
      {"-1", "01/01/2000 00:00:00", false},
      {"1.5", "30/11/2026 10:00:00", true},   // 1.5 rounds to 2: monthly
      {"0.5", "01/01/2000 00:00:00", false},  // 0.5 rounds to 0
  };
  for (const Case& c : cases) {
    test::TestApp t;
    if (c.frequency) t.app->ini.Write("temps", "frequence", c.frequency);
    if (c.lastText) t.app->ini.Write("temps", "dernier", c.lastText);
    EXPECT_EQ(IsCheckDue(*t.app), c.due) << c.frequency << " / " << (c.lastText ? c.lastText : "-");
  }
}

TEST(Dates, WrittenFormReadsBack) {
  const DateTime t{2026, 2, 28, 7, 5, 9};
  EXPECT_EQ(FormatDate(t), "28/02/2026 07:05:09");
  EXPECT_EQ(ParseDate(FormatDate(t)), t);
  EXPECT_EQ(ParseDate("2024-02-29 23:59:59"), (DateTime{2024, 2, 29, 23, 59, 59}));
  for (const char* bad : {"", "28/02/2026", "29/02/2026 00:00:00", "28/02/2026 24:00:00",
                          "28-02-2026 00:00:00", "28/02/2026 00:00:00 extra", "1/2/2026 1:2:3"})
    EXPECT_FALSE(ParseDate(bad)) << bad;
  EXPECT_EQ(DayNumber({1970, 1, 1}), 0);
  EXPECT_EQ(DayNumber({2000, 3, 1}) - DayNumber({2000, 2, 28}), 2);
}

}  // namespace
}  // namespace quo
