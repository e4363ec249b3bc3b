// The Windows base services against real files and processes: copies and atomic writes that never
// leave a torn or temporary file, listings, room, paths and Unicode names, the private file only
// this program may write; the program's path, its single instance and its command line.
#include <windows.h>
// The headers below need the types of <windows.h>.
#include <aclapi.h>
#include <sddl.h>
#undef MessageBox

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "core/error.h"
#include "platform/program_arguments.h"
#include "core/command_tail.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/toolhelp_processes.h"
#include "support/temp_dir.h"

namespace quo {
namespace {

using test::ReadFile;
using test::WriteFile;
using V = std::vector<std::string>;
const std::string kTail = "2.1.0/C:\\Program Files\\Quorvänta\\/1036";

// The test program run again by the single-instance test: it takes the lock and says by its exit
// status whether it got it (0) or not (1); 2 when its command line did not come whole.
[[maybe_unused]] const bool kProbe = [] {
  if (std::getenv("QUO_INSTANCE_PROBE") == nullptr) return false;
  if (ProgramArguments(0, nullptr) != V{kTail}) std::_Exit(2);
  std::_Exit(Win32System().AcquireSingleInstance() ? 0 : 1);
}();

DWORD Attributes(const std::string& path) {
  return ::GetFileAttributesW(win32::WidePath(path).c_str()) &
         (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
}

std::size_t Entries(const std::string& dir) {
  return std::distance(std::filesystem::directory_iterator(dir), {});
}

// The file's access list in its text form, once set to sddl when given ("not set" when it
// could not be).
std::wstring Access(const std::wstring& path, const wchar_t* sddl = nullptr) {
  PSECURITY_DESCRIPTOR sd = nullptr;
  wchar_t* text = nullptr;
  if (sddl != nullptr &&
      !(::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, 0) &&
        ::SetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, sd)))
    return L"not set";
  ::LocalFree(sd), sd = nullptr;
  if (!::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                               nullptr, nullptr, nullptr, &sd))
    ::ConvertSecurityDescriptorToStringSecurityDescriptorW(sd, SDDL_REVISION_1,
                                                           DACL_SECURITY_INFORMATION, &text, 0);
  const std::wstring out = text != nullptr ? text : L"unreadable";
  ::LocalFree(text), ::LocalFree(sd);
  return out;
}

// Each case starts from a target with the given attributes (0: no target) and a leftover (a
// read-only one) at the temporary name, or none.
TEST(Win32Files, CopyReplacesWholeKeepsAttributesAndLeavesNothingBehind) {
  constexpr DWORD kRo = FILE_ATTRIBUTE_READONLY, kHidden = FILE_ATTRIBUTE_HIDDEN;
  test::TempDir dir;
  Win32Files files;
  const std::string src = dir / "src", to = dir / "to", like = dir / "like";
  WriteFile(src, "new");
  WriteFile(like, "");
  ::SetFileAttributesW(win32::WidePath(like).c_str(), kHidden | FILE_ATTRIBUTE_SYSTEM);
  using M = Files::CopyMode;
  const struct {
    DWORD before;
    bool leftover;
    std::optional<M> mode;
    DWORD after;
  } cases[] = {
      {0, false, {}, 0}, {kRo | kHidden, true, {}, kRo | kHidden}, {kRo, false, M{}, 0},
      {kHidden, true, M{.like = like}, kHidden | FILE_ATTRIBUTE_SYSTEM},
      {0, true, M{.like = to, .keepSource = true, .executable = true}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.before << " -> " << c.after);
    ::SetFileAttributesW(win32::WidePath(to).c_str(), FILE_ATTRIBUTE_NORMAL);
    WriteFile(to, "old");
    c.before != 0 ? (void)::SetFileAttributesW(win32::WidePath(to).c_str(), c.before)
                  : files.Remove(to);
    const std::string tmp = Files::TempCopyName(to);
    if (c.leftover)
      WriteFile(tmp, "leftover"), ::SetFileAttributesW(win32::WidePath(tmp).c_str(), kRo);
    c.mode ? files.Copy(src, to, *c.mode) : files.Copy(src, to);
    EXPECT_EQ(ReadFile(to), "new");
    EXPECT_EQ(Attributes(to), c.after);
    EXPECT_EQ(Entries(dir.path()), 3u);  // src, like, to
  }
  // A failed copy leaves the target as it was, and no temporary file.
  test::MakeDirs(dir / "sub");
  for (const auto& [from, target] : {std::pair{dir / "missing", to}, {src, dir / "sub"},
                                     {src, dir / "nofolder/to"}, {dir / "sub", to}})
    EXPECT_THROW(files.Copy(from, target), Error) << from << " " << target;
  EXPECT_EQ(ReadFile(to), "new");
  EXPECT_EQ(Entries(dir.path()), 4u);
  // An atomic write replaces the content and keeps the attributes.
  files.WriteAtomic(to, "atomic");
  EXPECT_EQ(ReadFile(to), "atomic");
  EXPECT_EQ(Attributes(to), 0u);
  files.Copy(src, like);
  files.WriteAtomic(like, "atomic");
  EXPECT_EQ(Attributes(like), kHidden | FILE_ATTRIBUTE_SYSTEM);
  EXPECT_EQ(Entries(dir.path()), 4u);
}

// Names in UTF-8, inside and outside the Basic Multilingual Plane; hidden names start with ".".
TEST(Win32Files, ListingsRoomAndUnicodeNames) {
  test::TempDir dir;
  Win32Files files;
  for (const char* name : {"b", "é", "a", ".hidden", "\xF0\x9F\x98\x80.txt", "Z"})
    files.WriteAtomic(dir / name, name);
  test::MakeDirs(dir / "sub");
  EXPECT_EQ(files.ListFiles(dir.path()), (V{"Z", "a", "b", "é", "\xF0\x9F\x98\x80.txt"}));
  EXPECT_EQ(files.FirstFile(dir / "sub"), "");
  EXPECT_EQ(files.FirstFile(dir.path()), "Z");
  EXPECT_FALSE(files.IsOrdinaryFile(dir / ".hidden"));
  EXPECT_TRUE(files.NameExists(dir / ".hidden"));
  files.Rename(dir / "\xF0\x9F\x98\x80.txt", dir / "日本");
  files.AppendLine(dir / "日本", "ligne");
  EXPECT_EQ(files.ReadAll(dir / "日本"), "\xF0\x9F\x98\x80.txtligne\r\n");
  EXPECT_EQ(files.FileSize(dir / "日本"), 15);
  const auto before = files.Stamp(dir / "日本");
  files.Rename(dir / "b", dir / "日本");  // replaces
  EXPECT_NE(files.Stamp(dir / "日本"), before);
  EXPECT_FALSE(files.Stamp(dir / "sub"));
  EXPECT_THROW(files.Remove(dir / "sub"), Error);
  EXPECT_TRUE(files.IsDirectory(dir / "sub/"));

  const auto room = files.FreeSpace(dir.path()), inSub = files.FreeSpace(dir / "sub");
  ASSERT_TRUE(room && inSub);
  EXPECT_GT(room->bytes, 0u);
  EXPECT_EQ(room->volume, inSub->volume);
  EXPECT_FALSE(files.FreeSpace(dir / "missing"));
  files.SyncDirectory(dir.path());
  EXPECT_THROW(files.SyncDirectory(dir / "missing"), Error);
}

// Wine (8.0) keeps of a file's security only what Unix mode bits hold: every file is the current
// user's whatever it is told (no case of another owner), a grant to Users is lost, a NULL list
// becomes Everyone's full access; it makes no symbolic link or junction (tested on Linux).
TEST(Win32Files, PrivateFileOpensOnlyWhenNobodyElseMayWriteIt) {
  test::TempDir dir;
  Win32Files files;
  const auto read = [&](const std::string& path) -> std::string {  // its bytes, or why not
    try {
      const auto reader = files.OpenPrivate(path);
      std::string out = reader ? "" : "none";
      char buf[4];
      for (std::size_t n; reader && (n = reader->Read(buf, sizeof buf)) > 0;) out.append(buf, n);
      return out;
    } catch (const Error& e) {
      return e.what();
    }
  };
  const std::string journal = dir / "QuoUpdate.journal", linked = dir / "linked";
  files.WritePrivate(journal, "begin\r\n");
  files.AppendLine(journal, "copied");
  EXPECT_EQ(read(journal), "begin\r\ncopied\r\n");
  EXPECT_EQ(Access(win32::WidePath(journal)).find(L";WD)"), std::wstring::npos);  // not Everyone's
  files.WritePrivate(journal, "x");
  EXPECT_EQ(read(journal), "x");
  EXPECT_EQ(Entries(dir.path()), 1u);
  EXPECT_EQ(read(dir / "missing") + read(dir / "nofolder/missing"), "nonenone");
  // Refused: writing granted to Everyone; a second name.
  EXPECT_NE(Access(win32::WidePath(journal), L"D:(A;;FA;;;WD)"), L"not set");
  EXPECT_EQ(read(journal), "Others may write it: " + journal);
  files.WritePrivate(linked, "x");
  ASSERT_TRUE(::CreateHardLinkW(win32::WidePath(linked + "2").c_str(),
                                win32::WidePath(linked).c_str(), nullptr));
  EXPECT_EQ(read(linked), "A file with more than one name: " + linked);
}

TEST(Win32Files, AbsolutePaths) {
  Win32Files files;
  for (const auto& [path, absolute] : std::vector<std::pair<std::string, bool>>{
           {"C:/Quorvanta/", true}, {"c:\\x", true}, {"//server/share", true},
           {"\\\\server\\share", true}, {"/x", false}, {"\\x", false}, {"C:x", false},
           {"C:", false}, {"x/y", false}, {"///x", false}, {"1:/x", false}, {"", false}})
    EXPECT_EQ(files.IsAbsolutePath(path), absolute) << path;
}

TEST(Win32System, ProgramEnvironmentAndSingleInstance) {
  Win32System system;
  const std::string self = system.ProgramPath();
  EXPECT_TRUE(Win32Files().IsOrdinaryFile(self)) << self;
  EXPECT_EQ(self.find('\\'), std::string::npos);
  // The program a process runs, in the system's form; "" for no process.
  std::string exe = ToolhelpProcesses().ExecutablePath(::GetCurrentProcessId());
  std::replace(exe.begin(), exe.end(), '\\', '/');
  EXPECT_EQ(exe, self);
  EXPECT_EQ(ToolhelpProcesses().ExecutablePath(0x7ffffffc), "");
  ::SetEnvironmentVariableW(L"QUO_TEST_VALUE", L"caf\u00e9 \U0001F600");
  EXPECT_EQ(system.GetEnv("QUO_TEST_VALUE"), "café 😀");
  ::SetEnvironmentVariableW(L"QUO_TEST_VALUE", L"");
  EXPECT_EQ(system.GetEnv("QUO_TEST_VALUE"), "");
  ::SetEnvironmentVariableW(L"QUO_TEST_VALUE", nullptr);
  EXPECT_EQ(system.GetEnv("QUO_TEST_VALUE"), std::nullopt);

  // The same program run again, with the product's command line.
  const auto probe = [&] {
    std::wstring line = L"\"" + win32::WidePath(self) + L"\" " + win32::Widen(kTail);
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    ::SetEnvironmentVariableW(L"QUO_INSTANCE_PROBE", L"1");
    const bool started = ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                          nullptr, &si, &pi);
    ::SetEnvironmentVariableW(L"QUO_INSTANCE_PROBE", nullptr);
    DWORD status = 99;
    if (started && ::WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0)
      ::GetExitCodeProcess(pi.hProcess, &status);
    if (started) ::CloseHandle(pi.hProcess), ::CloseHandle(pi.hThread);
    return status;
  };
  EXPECT_EQ(probe(), 0u);  // free
  EXPECT_TRUE(system.AcquireSingleInstance());
  EXPECT_TRUE(system.AcquireSingleInstance());
  EXPECT_EQ(probe(), 1u);  // held by this process
}

TEST(Win32System, CommandTail) {
  for (const auto& [line, tail] : std::vector<std::pair<std::string, std::string>>{
           {"QuoUpdate.exe " + kTail, kTail},
           {"\"C:\\Program Files\\Quorvanta\\QuoUpdate.exe\" \t 2.1.0/a b/ 1 ", "2.1.0/a b/ 1 "},
           {"\"C:\\a b\"c.exe d", "d"}, {"x\"a b\".exe  \"e\" f", "\"e\" f"},
           {"QuoUpdate.exe", ""}, {"QuoUpdate.exe   ", ""}, {"\"C:\\no end", ""}, {"", ""},
           {"x \"" + kTail + "\"", kTail}, {"x \"a\"/\"b\"", "\"a\"/\"b\""}})
    EXPECT_EQ(CommandTail(line), tail) << line;
}

}  // namespace
}  // namespace quo
