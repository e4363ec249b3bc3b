// A platform for tests: the real files, INI and system services, with the parts a test must
// control replaced: the clock, the program's path (a temporary program folder), the message
// boxes (scripted answers, recorded texts) and the message pump (counted).
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "platform/platform.h"
#include "platform/ini/ini_profile.h"
#include "platform/windowing.h"
#include "support/native_services.h"
#include "support/temp_dir.h"

namespace quo::test {

#if defined(_WIN32)
inline constexpr bool kWindows = true;
#else
inline constexpr bool kWindows = false;
#endif
// A full path on the system the tests run on, from a Linux one: "/opt/q/", on Windows "C:/opt/q/".
inline std::string Abs(const std::string& path) {
#if defined(_WIN32)
  return "C:" + path;
#else
  return path;
#endif
}

class TestSystem : public NativeSystem {
 public:
  std::string programPath;
  DateTime now{2026, 12, 6, 10, 0, 0};
  int sleeps = 0;  // calls of SleepMs, which never waits
  bool instanceFree = true;
  // Environment variables the test controls (nullopt: unset); others come from the process.
  std::map<std::string, std::optional<std::string>> env;

  std::string ProgramPath() override { return programPath; }
  std::optional<std::string> GetEnv(const std::string& name) override {
    const auto it = env.find(name);
    return it != env.end() ? it->second : NativeSystem::GetEnv(name);
  }
  DateTime Now() override { return now; }
  void SleepMs(int) override { ++sleeps; }
  bool AcquireSingleInstance() override { return instanceFree; }
};

class TestWindowing : public Windowing {
 public:
  struct Box {
    std::string text, title;
    MsgButtons buttons;
  };
  std::vector<Box> boxes;
  std::deque<MsgResult> answers;  // answers to give, in order; Ok when empty
  std::deque<std::optional<std::string>> fileAnswers;
  int pumps = 0;
  std::function<void()> onPump;  // runs inside PumpMessages (to click during an operation)

  void PumpMessages() override {
    ++pumps;
    if (onPump) onPump();
  }
  MsgResult MessageBox(const std::string& text, const std::string& title,
                       MsgButtons buttons) override {
    boxes.push_back({text, title, buttons});
    if (answers.empty()) return MsgResult::Ok;
    const MsgResult r = answers.front();
    answers.pop_front();
    return r;
  }
  std::optional<std::string> OpenFile(const std::string&, const std::string&,
                                      const std::string&) override {
    if (fileAnswers.empty()) return std::nullopt;
    auto r = fileAnswers.front();
    fileAnswers.pop_front();
    return r;
  }
};

// A program folder in a temporary directory, with the platform and the run's context.
struct TestApp {
  explicit TestApp(const std::string& exeName = "QuoUpdate");

  TempDir dir;
  NativeFiles files;
  IniProfile ini{files};
  TestSystem system;
  TestWindowing windowing;
  NativeCrypto crypto;
  Platform platform;
  std::unique_ptr<AppContext> app;

  std::string prog(const std::string& name) const { return dir / name; }
  std::string settingsPath() const { return app->ini.SettingsPath(); }
  // Writes a language file LanguesUpdate/<id>.lng from (window, key, text) rows.
  void WriteLanguage(int id, const std::vector<std::vector<std::string>>& rows);
};

}  // namespace quo::test
