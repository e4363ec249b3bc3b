// Extraction on Windows: entry names in each form libarchive gives them (RAR 4's UTF-16 names and
// header bytes, RAR 5's UTF-8, characters outside the BMP) land under the same name in UTF-16, and
// link entries whose target has no byte form are still refused.
#include <gtest/gtest.h>

#include <filesystem>

#include "update/extract_archive.h"
#include "update/update_rig.h"
#include "writers/rar4_writer.h"

namespace quo::test {
namespace {

using Files = std::map<std::string, std::string>;

writers::Rar4Entry Raw(std::string name, std::string data) {
  writers::Rar4Entry e = writers::Rar4File(std::move(name), std::move(data));
  e.rawName = true;
  return e;
}

TEST(Win32Rar, NamesLandInUtf16AndLinksStayRefused) {
  RarApp r;
  const std::string fixtures = QUO_FIXTURES_DIR "/rar/";
  const bool haveFixtures = std::filesystem::is_directory(fixtures);
  writers::WriteRar4(r.t.dir / "names.rar",
                     {writers::Rar4File("ünï-😀.txt", "u"), writers::Rar4File("dir\\été €.txt", "e"),
                      Raw("\xe9t\xe9 \x80.txt", "1252"), Raw("テスト.txt", "utf8")});
  std::vector<std::tuple<std::string, int, Files>> cases = {
      {r.t.dir / "names.rar", 0,
       {{"ünï-😀.txt", "u"}, {"dir", "<dir>"}, {"dir/été €.txt", "e"}, {"été €.txt", "1252"},
        {"テスト.txt", "utf8"}}},
      {fixtures + "rar5_unicode.rar", 2, {{"👋🌎.txt", "Hello, world!"}}},
      {fixtures + "rar_unicode.rar", 1,
       {{"表だよ", "<dir>"}, {"表だよ/新しいフォルダ", "<dir>"},
        {"表だよ/新しいフォルダ/新規テキスト ドキュメント.txt", ""},
        {"表だよ/漢字長いファイル名long-filename-in-漢字.txt", "kanji"},
        {"abcdefghijklmnopqrsテスト.txt", "aaaaaaaaaaaaaaa\n"}}}};
  if (!haveFixtures) cases.resize(1);
  for (const auto& [archive, failures, want] : cases) {
    SCOPED_TRACE(archive);
    const std::string dest = r.t.dir / "x/";
    std::filesystem::remove_all(dest);
    EXPECT_EQ(failures, unrar::ExtractArchive(*r.t.app, archive, dest, ""));
    EXPECT_EQ(want, Tree(dest));
  }
  if (!haveFixtures) GTEST_SKIP() << "fixtures folder " << fixtures << " absent";
}

}  // namespace
}  // namespace quo::test
