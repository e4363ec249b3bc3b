// The start-up sequence up to the window: log lines, settings, language, schedule, errors.
#include "startup/launch.h"

#include <gtest/gtest.h>

#include "support/test_platform.h"

namespace quo {
namespace {

using test::ReadFile;

LaunchPlan Plan(test::TestApp& t, std::vector<std::string> args) {
  return PlanLaunch(*t.app, args);
}

TEST(Launch, NoCommandLineIsInteractiveInFrenchAndLogsNothing) {
  test::TestApp t;
  t.WriteLanguage(1036, {{"_", "Sortir", "Quitter"}});
  const LaunchPlan p = Plan(t, {});
  EXPECT_TRUE(p.proceed);
  EXPECT_EQ(p.mode, LaunchMode::Interactive);
  EXPECT_EQ(t.app->translation.LangueCourante, 1036);
  EXPECT_EQ(t.app->Traduire("Sortir"), "Quitter");
  EXPECT_FALSE(test::Exists(t.prog("log.txt")));
  EXPECT_EQ(p.settings.Adresse, QUO_DEFAULT_SERVER);
  EXPECT_EQ(p.settings.Destination, t.dir.path());
  EXPECT_FALSE(test::Exists(t.settingsPath()));
}

TEST(Launch, LaunchedWithoutScheduleLogsAndStopsSilently) {
  test::TestApp t;
  t.system.instanceFree = false;  // another instance runs: not even the language folder is made
  EXPECT_FALSE(Plan(t, {"2.1.0/C:\\Prod"}).proceed);
  EXPECT_FALSE(test::Exists(t.prog("LanguesUpdate")));
  t.system.instanceFree = true;
  const LaunchPlan p = Plan(t, {"2.1.0/C:\\Prod"});
  EXPECT_FALSE(p.proceed);
  EXPECT_TRUE(p.error.empty());
  EXPECT_EQ(ReadFile(t.prog("log.txt")), "2.1.0/C:\\Prod\r\n2.1.0\r\nC:\\Prod\r\n");
  EXPECT_FALSE(test::Exists(t.settingsPath()));
  EXPECT_TRUE(t.windowing.boxes.empty());
}

TEST(Launch, ModesFromTheFields) {
  const struct {
    std::vector<std::string> args;
    LaunchMode mode;
    int langue;
  } cases[] = {
      {{"2.1.0/C:\\Prod/1033/1"}, LaunchMode::Forced, 1033},
      {{"2.1.0/C:\\Prod/1036/0"}, LaunchMode::Launched, 1036},  // schedule due below
      {{"2.1.0/C:\\Prod/1036/oui"}, LaunchMode::Launched, 1036},
      {{"2.1.0/C:\\Prod/"}, LaunchMode::Launched, 0},  // trailing "/": field 3 empty
      {{"2.1.0/C:\\Prod/abc/1"}, LaunchMode::Forced, 0},
      {{"2.1.0/C:\\Prod/1035.5/1"}, LaunchMode::Forced, 1036},  // rounded half to even
      {{"/C:\\Prod"}, LaunchMode::BadCommandLine, 0},
      {{"2.1.0"}, LaunchMode::BadCommandLine, 0},
      {{"2.1.0//1036"}, LaunchMode::BadCommandLine, 0},
      {{"2.1.0", "/opt/quorvanta/", "1033", "1"}, LaunchMode::Forced, 1033},
  };
  for (const auto& c : cases) {
    test::TestApp t;
    t.app->ini.Write("temps", "frequence", "1");  // due: no installation recorded
    t.WriteLanguage(1036, {{"_", "Sortir", "Quitter"}});
    const LaunchPlan p = Plan(t, c.args);
    EXPECT_EQ(p.mode, c.mode) << c.args[0];
    EXPECT_TRUE(p.proceed) << c.args[0];
    EXPECT_EQ(p.langue, c.langue) << c.args[0];
    if (p.languageGiven) {
      EXPECT_EQ(t.app->translation.LangueCourante, c.langue) << "the fall-back is undone";
    }
    // Every run that goes on has texts: French when the command line names no language.
    EXPECT_EQ(t.app->Traduire("Sortir"), "Quitter") << c.args[0];
  }
}

TEST(Launch, FifthFieldNamesTheServerForThisRunOnly) {
  test::TestApp t;
  t.app->ini.Write("Server", "Adresse", "ftp.example");
  const std::string before = ReadFile(t.settingsPath());
  const LaunchPlan p = Plan(t, {"2.1.0/C:\\Prod/1036/1/127.0.0.1:2121"});
  EXPECT_TRUE(p.proceed);
  EXPECT_EQ(p.settings.Adresse, "127.0.0.1:2121");
  EXPECT_EQ(ReadFile(t.settingsPath()), before);
}

TEST(Launch, HostileCommandLinesAreLoggedAsGiven) {
  test::TestApp t;
  const std::string longLine(100000, 'a');
  EXPECT_EQ(Plan(t, {longLine}).mode, LaunchMode::BadCommandLine);
  const std::string invalid = "\xFF\xFE/\xC3/1036";
  Plan(t, {invalid});
  const std::string log = ReadFile(t.prog("log.txt"));
  EXPECT_NE(log.find(longLine + "\r\n" + longLine + "\r\n"), std::string::npos);
  EXPECT_NE(log.find(invalid + "\r\n\xFF\xFE\r\n\xC3\r\n1036\r\n"), std::string::npos);
}

TEST(Launch, UnwritableLogEndsWithTheError) {
  test::TestApp t;
  test::MakeDirs(t.prog("log.txt"));  // a folder where the log should be
  const LaunchPlan p = Plan(t, {"2.1.0/C:\\Prod/1036/1"});
  EXPECT_FALSE(p.proceed);
  EXPECT_NE(p.error.find("log.txt"), std::string::npos) << p.error;
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

}  // namespace
}  // namespace quo
