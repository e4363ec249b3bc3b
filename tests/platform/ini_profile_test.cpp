// The INI service against real files: the reading rules, and writes that keep every other byte.
#include "platform/ini/ini_profile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/native_services.h"
#include "support/temp_dir.h"
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace quo {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

TEST(IniRead, WindowsMatchingRules) {
  const std::string server =
      "[Server]\r\n; comment=1\r\n  Adresse =  \"  10.0.0.1 \"  \r\nAdresse=second\r\nQuote='x'\r\n"
      "Half=\"x\r\n[server]\r\nUser=ignored, the first section wins\r\n"
      "[Temps]\nfrequence=1\ndernier";  // the last line has no end and no "="
  const struct {
    std::string file, section, key, value;
  } cases[] = {
      {server, "SERVER", "adresse", "  10.0.0.1 "}, {server, "Server", "Quote", "x"},
      {server, "Server", "Half", "\"x"}, {server, "Server", "User", ""},
      {server, "temps", "FREQUENCE", "1"}, {server, "temps", "dernier", ""},
      {server, "Nope", "x", ""}, {server, "Server", "; comment", ""},
      // A file that is not UTF-8 is Windows-1252 throughout, section names included.
      {"[Sécurité]\r\nClé=caf\xE9\r\n", "sécurité", "CLÉ", ""},
      {"[S\xE9\x63urit\xE9]\r\nCl\xE9=caf\xE9\r\n", "SÉCURITÉ", "clé", "café"},
      // Values are cut to the length asked for; a NUL ends nothing.
      {"[a]\nk=" + std::string(5000, 'x') + "é\n", "a", "k", std::string(1023, 'x')},
      {std::string("[a]\nk=v\0w\n[b]\nk=2\n", 19), "b", "k", "2"},
      // "[]" names no section: its keys belong to none, not to the section before it.
      {"[a]\nk=1\n[]\nm=2\n", "a", "m", ""}, {"[a]\n[]\nm=2\n", "", "m", ""},
  };
  TempDir dir;
  test::NativeFiles files;
  IniProfile ini(files);
  int n = 0;
  for (const auto& c : cases) {
    const std::string f = dir / std::to_string(++n);
    WriteFile(f, c.file);
    EXPECT_EQ(ini.Get(f, c.section, c.key, 1023), c.value) << n;
    EXPECT_EQ(ini.GetUncached(f, c.section, c.key, 1023), c.value)
        << n;  // the one-value scan agrees
  }
  EXPECT_EQ(ini.Get(dir / "missing.ini", "Server", "Adresse", 1023), "");
}

// Each step edits the file as the step before left it, or as the step writes it first.
TEST(IniWrite, EditsInPlaceKeepingEveryOtherByte) {
  const std::string made = "# made by hand\r\n[Server]\r\n";
  const std::string edited =
      made + "ADRESSE=ftp.example\r\n  User=u\r\nChemin=/maj\r\n\r\n[temps]\r\nfrequence=1\r\n";
  const struct {
    const char* start;
    std::string section, key, value, after;
  } steps[] = {
      {"# made by hand\r\n[Server]\r\nAdresse = old \r\n  User=u\r\n\r\n[temps]\r\nfrequence=1\r\n",
       "server", "ADRESSE", "ftp.example",
       made + "ADRESSE=ftp.example\r\n  User=u\r\n\r\n[temps]\r\nfrequence=1\r\n"},
      // A missing key goes at the end of its section, before the blank line.
      {nullptr, "Server", "Chemin", "/maj", edited},
      // A missing section goes at the end of the file.
      {nullptr, "Telechargement", "DerniereVersion", "1.2.0",
       edited + "[Telechargement]\r\nDerniereVersion=1.2.0\r\n"},
      // An LF file whose last line has no end; a value cannot inject lines.
      {"[a]\nx=1", "a", "y", "2", "[a]\nx=1\ny=2\n"},
      {nullptr, "a", "x", "evil\r\n[Server]\nAdresse=attacker",
       "[a]\nx=evil  [Server] Adresse=attacker\ny=2\n"},
      // A Windows-1252 file keeps its encoding until text it cannot hold moves it to UTF-8.
      {"[a]\r\nk=caf\xE9\r\n", "a", "m", "crème", "[a]\r\nk=caf\xE9\r\nm=cr\xE8me\r\n"},
      {nullptr, "a", "n", "日本", "[a]\r\nk=café\r\nm=crème\r\nn=日本\r\n"},
  };
  TempDir dir;
  test::NativeFiles files;
  IniProfile ini(files);
  ASSERT_TRUE(ini.Set(dir / "new.ini", "temps", "dernier", "06/12/2026 10:00:00"));
  EXPECT_EQ(ReadFile(dir / "new.ini"), "[temps]\r\ndernier=06/12/2026 10:00:00\r\n");
  for (const auto& s : steps) {
    if (s.start != nullptr) WriteFile(dir / "s.ini", s.start);
    ASSERT_TRUE(ini.Set(dir / "s.ini", s.section, s.key, s.value)) << s.key;
    EXPECT_EQ(ReadFile(dir / "s.ini"), s.after) << s.key;
  }
}

TEST(IniWrite, FailureChangesNothingAndLeavesNoTemporaryFile) {
  TempDir dir;
  test::NativeFiles files;
  IniProfile ini(files);
  // A folder where the file should be, a missing folder, a name there but no file to read.
  test::MakeDirs(dir / "folder.ini");
  std::vector<std::string> names = {"folder.ini", "missing/x.ini"};
#if !defined(_WIN32)
  ASSERT_EQ(::mkfifo((dir / "fifo.ini").c_str(), 0600), 0);
  names.push_back("fifo.ini");
#endif
  for (const std::string& name : names) EXPECT_FALSE(ini.Set(dir / name, "a", "k", "v")) << name;
  WriteFile(dir / "keep.ini", "[a]\r\nk=old\r\n");
  ASSERT_TRUE(ini.Set(dir / "keep.ini", "a", "k", "new"));
  // The names that were there, and keep.ini: no temporary file left behind
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), std::ssize(names));
}

TEST(IniCache, SeesChangesMadeByOthers) {
  TempDir dir;
  const std::string f = dir / "c.ini";
  test::NativeFiles files;
  IniProfile ini(files);
  WriteFile(f, "[a]\nk=1\n");
  EXPECT_EQ(ini.Get(f, "a", "k", 1023), "1");
  WriteFile(f, "[a]\nk=22\n");  // other size
  EXPECT_EQ(ini.Get(f, "a", "k", 1023), "22");
  const std::string g = dir / "g.ini";
  WriteFile(g, "[a]\nk=33\n");
  std::filesystem::rename(g, f);  // same size, other inode
  EXPECT_EQ(ini.Get(f, "a", "k", 1023), "33");
  std::filesystem::remove(f);
  EXPECT_EQ(ini.Get(f, "a", "k", 1023), "");
}

}  // namespace
}  // namespace quo
