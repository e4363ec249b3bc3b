// The INI service against real files: the reading rules, and writes that keep every other byte.
#include "platform/posix/base/ini_profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace quo {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

TEST(IniRead, WindowsMatchingRules) {
  TempDir dir;
  const std::string f = dir / "a.ini";
  WriteFile(f,
            "; comment\r\n"
            "[Server]\r\n"
            "  Adresse =  \"  10.0.0.1 \"  \r\n"
            "Adresse=second\r\n"
            "Quote='x'\r\n"
            "Half=\"x\r\n"
            "[server]\r\n"
            "User=ignored, the first section wins\r\n"
            "[Temps]\n"
            "frequence=1\n"
            "dernier");  // no line end, no "="
  IniProfile ini;
  EXPECT_EQ(ini.Get(f, "SERVER", "adresse", 1023), "  10.0.0.1 ");
  EXPECT_EQ(ini.Get(f, "Server", "Quote", 1023), "x");
  EXPECT_EQ(ini.Get(f, "Server", "Half", 1023), "\"x");
  EXPECT_EQ(ini.Get(f, "Server", "User", 1023), "");
  EXPECT_EQ(ini.Get(f, "temps", "FREQUENCE", 1023), "1");
  EXPECT_EQ(ini.Get(f, "temps", "dernier", 1023), "");
  EXPECT_EQ(ini.Get(f, "Nope", "x", 1023), "");
  EXPECT_EQ(ini.Get(dir / "missing.ini", "Server", "Adresse", 1023), "");
}

TEST(IniRead, EncodingsAndLongValues) {
  TempDir dir;
  IniProfile ini;
  WriteFile(dir / "w.ini", "[Sécurité]\r\nClé=caf\xE9\r\n");  // Windows-1252 bytes
  EXPECT_EQ(ini.Get(dir / "w.ini", "sécurité", "CLÉ", 1023), "");  // section name in 1252 too
  WriteFile(dir / "w.ini", "[S\xE9\x63urit\xE9]\r\nCl\xE9=caf\xE9\r\n");
  EXPECT_EQ(ini.Get(dir / "w.ini", "SÉCURITÉ", "clé", 1023), "café");
  WriteFile(dir / "u.ini", "[a]\nk=" + std::string(5000, 'x') + "é\n");
  EXPECT_EQ(ini.Get(dir / "u.ini", "a", "k", 1023), std::string(1023, 'x'));
  WriteFile(dir / "n.ini", std::string("[a]\nk=v\0w\n[b]\nk=2\n", 19));
  EXPECT_EQ(ini.Get(dir / "n.ini", "b", "k", 1023), "2");
}

TEST(IniWrite, EditsInPlaceKeepingEveryOtherByte) {
  TempDir dir;
  const std::string f = dir / "s.ini";
  const std::string before =
      "# made by hand\r\n[Server]\r\nAdresse = old \r\n  User=u\r\n\r\n[temps]\r\nfrequence=1\r\n";
  WriteFile(f, before);
  IniProfile ini;
  ASSERT_TRUE(ini.Set(f, "server", "ADRESSE", "ftp.example"));
  EXPECT_EQ(ReadFile(f),
            "# made by hand\r\n[Server]\r\nADRESSE=ftp.example\r\n  User=u\r\n\r\n[temps]\r\n"
            "frequence=1\r\n");
  // A missing key goes at the end of its section, before the blank line.
  ASSERT_TRUE(ini.Set(f, "Server", "Chemin", "/maj"));
  EXPECT_EQ(ReadFile(f),
            "# made by hand\r\n[Server]\r\nADRESSE=ftp.example\r\n  User=u\r\nChemin=/maj\r\n\r\n"
            "[temps]\r\nfrequence=1\r\n");
  // A missing section goes at the end of the file; the read sees every write at once.
  ASSERT_TRUE(ini.Set(f, "Telechargement", "DerniereVersion", "1.2.0"));
  EXPECT_TRUE(ReadFile(f).ends_with("frequence=1\r\n[Telechargement]\r\nDerniereVersion=1.2.0\r\n"));
  EXPECT_EQ(ini.Get(f, "telechargement", "derniereversion", 1023), "1.2.0");
  EXPECT_EQ(ini.Get(f, "Server", "Chemin", 1023), "/maj");
}

TEST(IniWrite, NewFilesLineEndsAndHostileValues) {
  TempDir dir;
  IniProfile ini;
  ASSERT_TRUE(ini.Set(dir / "new.ini", "temps", "dernier", "06/12/2026 10:00:00"));
  EXPECT_EQ(ReadFile(dir / "new.ini"), "[temps]\r\ndernier=06/12/2026 10:00:00\r\n");
  WriteFile(dir / "lf.ini", "[a]\nx=1");  // LF file, last line without an end
  ASSERT_TRUE(ini.Set(dir / "lf.ini", "a", "y", "2"));
  EXPECT_EQ(ReadFile(dir / "lf.ini"), "[a]\nx=1\ny=2\n");
  // A value cannot inject lines: it stays one key.
  ASSERT_TRUE(ini.Set(dir / "lf.ini", "a", "x", "evil\n[Server]\nAdresse=attacker"));
  EXPECT_EQ(ini.Get(dir / "lf.ini", "Server", "Adresse", 1023), "");
  // A Windows-1252 file stays in its encoding.
  WriteFile(dir / "w.ini", "[a]\r\nk=caf\xE9\r\n");
  ASSERT_TRUE(ini.Set(dir / "w.ini", "a", "m", "crème"));
  EXPECT_EQ(ReadFile(dir / "w.ini"), "[a]\r\nk=caf\xE9\r\nm=cr\xE8me\r\n");
  EXPECT_EQ(ini.Get(dir / "w.ini", "a", "m", 1023), "crème");
  // Text that code page cannot hold moves the file to UTF-8, every character kept.
  ASSERT_TRUE(ini.Set(dir / "w.ini", "a", "n", "日本"));
  EXPECT_EQ(ReadFile(dir / "w.ini"), "[a]\r\nk=café\r\nm=crème\r\nn=日本\r\n");
  EXPECT_EQ(ini.Get(dir / "w.ini", "a", "k", 1023), "café");
}

TEST(IniWrite, FailureChangesNothingAndLeavesNoTemporaryFile) {
  TempDir dir;
  IniProfile ini;
  test::MakeDirs(dir / "folder.ini");  // a folder where the file should be
  EXPECT_FALSE(ini.Set(dir / "folder.ini", "a", "k", "v"));
  EXPECT_FALSE(ini.Set(dir / "missing/x.ini", "a", "k", "v"));
  WriteFile(dir / "keep.ini", "[a]\r\nk=old\r\n");
  ASSERT_EQ(::mkfifo((dir / "fifo.ini").c_str(), 0600), 0);
  EXPECT_FALSE(ini.Set(dir / "fifo.ini", "a", "k", "v"));  // there but not a file: untouched
  ASSERT_TRUE(ini.Set(dir / "keep.ini", "a", "k", "new"));
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 3);  // folder.ini, fifo.ini, keep.ini: no temporary file left behind
}

TEST(IniCache, SeesChangesMadeByOthers) {
  TempDir dir;
  const std::string f = dir / "c.ini";
  IniProfile ini;
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
