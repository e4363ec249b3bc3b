// The Windows process service on its own: a child it started, found by name and ended; argument
// vectors read back by the child's C runtime exactly as given.
#include "platform/win32/toolhelp_processes.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>

#include "core/error.h"
#include "core/text.h"
#include "platform/win32/wide.h"
#include "support/temp_dir.h"

extern "C" int __wgetmainargs(int*, wchar_t***, wchar_t***, int, int*);

namespace quo::test {
namespace {

// This program started again as a test's child, before any test runs: "--child-sleep" sleeps a
// minute; "--child-args FILE ARGS..." writes ARGS as its C runtime read them, each followed by "|".
[[maybe_unused]] const bool kChild = [] {
  int argc = 0, info = 0;
  wchar_t **argv = nullptr, **env = nullptr;
  if (__wgetmainargs(&argc, &argv, &env, 0, &info) != 0 || argc < 2) return false;
  const std::wstring mode = argv[1];
  if (mode == L"--child-sleep") {
    Sleep(60000);
  } else if (mode == L"--child-args" && argc > 2) {
    std::string out;
    for (int i = 3; i < argc; ++i) out += win32::Narrow(argv[i]) + "|";
    WriteFile(win32::Narrow(argv[2]), out);
  } else {
    return false;
  }
  ExitProcess(0);
}();

// A copy of this program under a name no other process has (the temporary folder's own).
class ToolhelpProcessesTest : public ::testing::Test {
 protected:
  ToolhelpProcessesTest() {
    std::wstring self(MAX_PATH, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
    if (!CopyFileW(self.c_str(), win32::Widen(dir / (name + ".exe")).c_str(), TRUE))
      throw Error("cannot copy the test program");
  }

  TempDir dir;
  std::string name = std::filesystem::path(dir.path()).parent_path().filename().string();
  ToolhelpProcesses ps;
};

TEST_F(ToolhelpProcessesTest, FindsTheChildItStartedByNameAndEndsIt) {
  ps.StartDetached({dir / (name + ".exe"), "--child-sleep"});
  std::optional<ProcessEntry> child;
  for (int i = 0; i < 400 && !child; ++i, Sleep(25))
    for (const ProcessEntry& e : ps.Snapshot())
      if (e.exeName == name + ".exe") child = e;
  ASSERT_TRUE(child.has_value());
  const ProcessEntry self = ps.Self();
  EXPECT_EQ(GetCurrentProcessId(), self.pid);
  EXPECT_EQ(self.pid, child->parentPid);
  EXPECT_EQ(self.realUid, child->realUid);
  const auto described = ps.Describe(child->pid);
  ASSERT_TRUE(described.has_value());
  EXPECT_EQ(name + ".exe", described->exeName);
  EXPECT_EQ(self.pid, described->parentPid);
  EXPECT_EQ(self.realUid, described->realUid);
  const auto ids = ps.ListIds();
  EXPECT_TRUE(std::binary_search(ids.begin(), ids.end(), child->pid));
  EXPECT_TRUE(ps.Terminate(child->pid));
  for (int i = 0; i < 400 && ps.Describe(child->pid); ++i) Sleep(25);
  EXPECT_FALSE(ps.Describe(child->pid).has_value());
  EXPECT_FALSE(ps.Describe(0).has_value());
  EXPECT_FALSE(ps.Terminate(0));
}

TEST_F(ToolhelpProcessesTest, StartsArgumentVectorsAsTheRuntimeReadsThem) {
  // Blanks, quotes and backslashes (doubled only before a quote), an empty argument, UTF-8.
  const std::string args =
      "plain|a b||tab\there|say \"hi\"|trail\\|trail space\\|\\\\server\\share\\|"
      "a\\\\\"b|été 😀|/REGSERVER";
  std::vector<std::string> argv = {name, "--child-args", dir / "args.txt"};
  for (const std::string& a : Split(args, '|')) argv.push_back(a);
  // Found along PATH by its name alone; nothing else is found there.
  std::wstring path(32768, L'\0');
  path.resize(GetEnvironmentVariableW(L"PATH", path.data(), static_cast<DWORD>(path.size())));
  SetEnvironmentVariableW(L"PATH", win32::Widen(dir.path()).c_str());
  EXPECT_TRUE(ps.StartAndWait(argv, 20000));
  EXPECT_EQ(args + "|", ReadFile(dir / "args.txt"));
  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {"nowhere-" + name}, {dir / "missing.exe"}, {dir / "args.txt"}, {}})
    EXPECT_THROW(ps.StartDetached(bad), Error) << (bad.empty() ? "" : bad[0]);
  SetEnvironmentVariableW(L"PATH", path.c_str());
}

}  // namespace
}  // namespace quo::test
