// Extraction of real and generated RAR archives through unrar and the libarchive service.
#include "update/extract_archive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "update/update_rig.h"
#include "writers/rar4_writer.h"

using namespace quo::writers;  // NOLINT: the archive writer's names read as the tests' own

namespace quo::test {
namespace {

namespace fs = std::filesystem;

using Files = std::map<std::string, std::string>;

std::string Rar(const std::vector<Rar4Entry>& entries) { return BuildRar4(entries).bytes; }
std::string Backslashes(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

class ExtractArchiveTest : public ::testing::Test {
 protected:
  ExtractArchiveTest() {
    MakeDirs(dest);
    MakeDirs(outside);
  }
  // Extracts the archive bytes and returns the failure count.
  int Extract(const std::string& bytes, std::function<bool()> keepGoing = {}) {
    WriteFile(arc, bytes);
    return unrar::ExtractArchive(*r.t.app, arc, dest, "", keepGoing);
  }

  RarApp r{LibarchiveRar::Options{1 << 20}};  // entries above 1 MiB are refused
  std::string dest = r.t.dir / "Download/";
  std::string outside = r.t.dir / "outside/";
  std::string arc = r.t.dir / "p.rar";
};

// Every entry that can be written lands under its path; every refused one is counted, the walk
// goes on where it can, and nothing appears outside the destination.
TEST_F(ExtractArchiveTest, ExtractsWhatItCanAndCountsEveryRefusal) {
  const std::string big(70000, 'x'), b(5000, 'b'), c(3000, 'c');
  const Rar4Image img = BuildRar4({Rar4File("a", "aaaa"), Rar4File("b", b), Rar4File("c", c)});
  const Files abc = {{"a", "aaaa"}, {"b", b}, {"c", c}};
  Rar4Entry encrypted = Rar4File("secret.dll", "ciphertext-looking-bytes");
  encrypted.encrypted = true;
  // Exactly at the limit is fine; above it (real or declared size) is refused and removed.
  const Rar4Entry edge = Rar4File("edge", std::string(1 << 20, 'e'));
  Rar4Entry bomb = Rar4File("bomb", "only a little data");  // claims 16 GiB
  bomb.packedSize = bomb.unpackedSize = std::uint64_t{16} << 30;
  struct Case {
    std::string what, bytes;
    int failures, boxes;
    Files left;
  };
  std::vector<Case> cases = {
      {"stored, Windows separators",
       Rar({Rar4File("a.txt", "alpha"), Rar4Dir("lib"), Rar4File("lib\\x.dll", big),
            Rar4File("deep\\er\\y.ini", "k"), Rar4File("données\\été €.txt", "utf"),
            Rar4File("empty", "")}),
       0, 0,
       {{"a.txt", "alpha"}, {"lib", "<dir>"}, {"lib/x.dll", big}, {"deep", "<dir>"},
        {"deep/er", "<dir>"}, {"deep/er/y.ini", "k"}, {"données", "<dir>"},
        {"données/été €.txt", "utf"}, {"empty", ""}}},
      {"two refused: one message", Rar({Rar4File("../a", "x"), Rar4File("/b", "y")}), 2, 1, {}},
      {"encrypted", Rar({encrypted, Rar4File("plain", "p")}), 1, 1, {{"plain", "p"}}},
      {"above the limit", Rar({edge, Rar4File("big", std::string(2 << 20, 'z'))}), 1, 1,
       {{"edge", edge.data}}},
      {"claims above the limit", Rar({edge, bomb}), 2, 1, {{"edge", edge.data}}},
      // A cut inside an entry's data fails that entry and the walk (its next header is missing).
      {"bad header checksum", img.WithBadHeaderCrc(1), 1, 0, {{"a", "aaaa"}}},
      {"truncated data", img.TruncatedInData(1), 2, 1, {{"a", "aaaa"}}},
      {"cut before end block", img.bytes.substr(0, img.dataEnd[2]), 0, 0, abc},
      // What is not a RAR counts one failure without a message.
      {"empty", "", 1, 0, {}},
      {"text", "this is not an archive", 1, 0, {}},
      {"zip", std::string("PK\x03\x04", 4) + std::string(100, '\0'), 1, 0, {}},
      {"marker only", std::string("Rar!\x1a\x07\x00", 7), 1, 0, {}},
  };
  // Each hostile entry sits second of three: refused with one message, the walk goes on.
  const Rar4Entry first = Rar4File("first", "1"), third = Rar4File("third", "3");
  for (const auto& [what, entry] : std::vector<std::pair<std::string, Rar4Entry>>{
           {"dotdot", Rar4File("..\\outside\\x.txt", "evil")},
           {"dotdot inside", Rar4File("lib\\..\\..\\outside\\x.txt", "evil")},
           {"absolute", Rar4File(outside + "abs.txt", "evil")},
           {"absolute backslash", Rar4File(Backslashes(outside + "abs.txt"), "evil")},
           {"drive letter", Rar4File("C:\\x.txt", "evil")},
           {"drive relative", Rar4File("c:x.txt", "evil")},
           {"a \".\" component", Rar4File("first\\.", "evil")},
           {"file named like a folder", Rar4File("lib\\", "evil")},
           {"symlink", Rar4Symlink("link", outside)},
           {"symlink relative", Rar4Symlink("up", "../outside")}})
    cases.push_back({what, Rar({first, entry, third}), 1, 1, {{"first", "1"}, {"third", "3"}}});
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    fs::remove_all(dest);
    MakeDirs(dest);
    r.t.windowing.boxes.clear();
    EXPECT_EQ(k.failures, Extract(k.bytes));
    EXPECT_TRUE(Tree(dest) == k.left) << Tree(dest).size() << " entries";
    EXPECT_TRUE(Tree(outside).empty());
    EXPECT_EQ(static_cast<size_t>(k.boxes), r.t.windowing.boxes.size());
  }
}

#if !defined(_WIN32)  // links and Unix modes; bsdtar (Windows: tests/platform/win32)
// What already stands in the destination, reached here through a link: a file is replaced, a
// link (to a folder or a file) is not followed, a file where a folder must be fails that entry
// only. A stop between entries counts the archive incomplete.
TEST_F(ExtractArchiveTest, ExistingEntriesInTheDestination) {
  WriteFile(dest + "a.txt", "old and longer");
  fs::create_directory_symlink(outside, dest + "lib");
  WriteFile(dest + "file", "keep me");
  fs::create_directory_symlink(dest, r.t.dir / "via");
  WriteFile(r.t.dir / "kept", "kept");
  fs::create_symlink(r.t.dir / "kept", dest + "m");
  Rar4Entry m = Rar4File("m", "mode");  // a Unix entry: its mode is kept, without setuid
  m.hostOs = 3;
  m.unixMode = 04777;
  WriteFile(arc, Rar({Rar4File("a.txt", "new"), Rar4File("lib\\x.dll", "evil"),
                      Rar4File("file\\x.dll", "x"), Rar4File("b\\c", "c"), m}));
  EXPECT_EQ(2, unrar::ExtractArchive(*r.t.app, arc, r.t.dir / "via", ""));
  EXPECT_EQ("new", ReadFile(dest + "a.txt"));
  EXPECT_EQ("mode" + ReadFile(r.t.dir / "kept"), ReadFile(dest + "m") + "kept");
  const fs::file_status mode = fs::symlink_status(dest + "m");
  EXPECT_TRUE(fs::is_regular_file(mode) && mode.permissions() == fs::perms::all);
  EXPECT_TRUE(Tree(outside).empty());
  EXPECT_EQ("keep me", ReadFile(dest + "file"));
  EXPECT_EQ("c", ReadFile(dest + "b/c"));
  // A missing archive is a failure.
  EXPECT_EQ(1, unrar::ExtractArchive(*r.t.app, r.t.dir / "missing.rar", dest, ""));
  int asked = 0;
  fs::remove_all(dest);
  EXPECT_EQ(1, Extract(Rar({Rar4File("a", "a"), Rar4File("b", "b")}), [&] { return !asked++; }));
  EXPECT_EQ((Files{{"a", "a"}}), Tree(dest));
}
#endif

// The service itself refuses a target that is not the destination followed by the entry's path,
// and an entry whose own name is not a safe relative path, whatever target it is given.
TEST(LibarchiveRarTest, ProcessFileChecksTheTargetAndTheEntryName) {
  RarApp r;
  const std::string arc = r.t.dir / "a.rar", dest = r.t.dir / "d/";
  WriteRar4(arc, {Rar4File("a", "x"), Rar4File("b", "y"), Rar4File("..\\c", "z")});
  RarOpenArchiveData open{arc};
  RarArchive* h = r.rar.OpenArchive(open);
  ASSERT_EQ(0, open.OpenResult);
  RarHeaderData head;
  ASSERT_EQ(kRarSuccess, r.rar.ReadHeader(h, head));
  EXPECT_EQ(kRarCreateFailed, r.rar.ProcessFile(h, kRarExtract, dest, r.t.dir / "elsewhere/a"));
  EXPECT_EQ(kRarBadCall, r.rar.ProcessFile(h, kRarExtract, dest, dest + "a"));  // once per header
  ASSERT_EQ(kRarSuccess, r.rar.ReadHeader(h, head));
  EXPECT_EQ(kRarCreateFailed, r.rar.ProcessFile(h, kRarExtract, dest, dest + "../b"));
  ASSERT_EQ(kRarSuccess, r.rar.ReadHeader(h, head));
  EXPECT_EQ("../c", head.FileName);
  EXPECT_EQ(kRarCreateFailed, r.rar.ProcessFile(h, kRarExtract, dest, dest + "c"));
  r.rar.CloseArchive(h);
  EXPECT_TRUE(Tree(r.t.dir / "elsewhere").empty());
  EXPECT_TRUE(Tree(dest).empty());
}

#if !defined(_WIN32)
// Real archives made by the RAR program: link entries are refused (one failure each); everything
// else matches bsdtar's extraction of the same archive, file for file.
TEST(RarFixtureTest, ArchivesExtractLikeBsdtar) {
  const std::string dir = QUO_FIXTURES_DIR "/rar/";
  if (!fs::is_directory(dir))
    GTEST_SKIP() << "fixtures folder " << QUO_FIXTURES_DIR << "/rar absent";
  RarApp r;
  const std::vector<std::pair<std::string, std::set<std::string>>> cases = {
      {"rar.rar", {"testlink"}},
      {"rar_windows.rar", {}},
      {"rar_compress_normal.rar", {"testlink"}},
      {"rar_compress_best.rar", {"testlink"}},
      {"rar_unicode.rar", {"表だよ/ファイル"}},
      {"rar5_stored.rar", {}},
      {"rar5_compressed.rar", {}},
      {"rar5_multiple_files.rar", {}},
      {"rar5_solid.rar", {}},
      {"rar5_unicode.rar", {"Ⓗⓐⓡⓓ Ⓛⓘⓝⓚ.txt", "𝒮𝓎𝓂𝒷𝑜𝓁𝒾𝒸 𝐿𝒾𝓃𝓀.txt"}},
      {"rar5_hardlink.rar", {"hardlink.txt"}},
  };
  for (const auto& [name, links] : cases) {
    SCOPED_TRACE(name);
    const std::string dest = r.t.dir / ("x_" + name + "/"), ref = r.t.dir / ("ref_" + name + "/");
    EXPECT_EQ(static_cast<int>(links.size()),
              unrar::ExtractArchive(*r.t.app, dir + name, dest, ""));
    MakeDirs(ref);
    const std::string cmd = "bsdtar -xf '" + dir + name + "' -C '" + ref + "' 2>/dev/null";
    ASSERT_EQ(0, std::system(cmd.c_str())) << cmd;
    auto want = Tree(ref);
    for (const std::string& link : links) EXPECT_EQ(1u, want.erase(link)) << link;
    const auto got = Tree(dest);
    EXPECT_FALSE(got.empty());
    for (const auto& [path, content] : got) EXPECT_EQ(std::string::npos, path.find('\\')) << path;
    EXPECT_EQ(want, got);
  }
}
#endif

}  // namespace
}  // namespace quo::test
