// Extraction of real and generated RAR archives through UnRAR3 and the libarchive service.
#include "update/unrar3.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "support/rar4_writer.h"
#include "update/rar_test_support.h"

namespace quo::test {
namespace {

namespace fs = std::filesystem;

class UnRAR3Test : public ::testing::Test {
 protected:
  UnRAR3Test() {
    MakeDirs(dest);
    MakeDirs(outside);
  }
  // Extracts and returns the failure count.
  int Extract(const std::string& archive, std::function<bool()> keepGoing = {}) {
    UnRAR3::ExtraireArchive(*r.t.app, archive, dest, "", keepGoing);
    return UnRAR3::NbErreursRar();
  }
  int ExtractBytes(const std::string& bytes) {
    WriteFile(arc, bytes);
    return Extract(arc);
  }
  int ExtractEntries(const std::vector<Rar4Entry>& entries) {
    WriteRar4(arc, entries);
    return Extract(arc);
  }
  std::vector<TestWindowing::Box>& boxes() { return r.t.windowing.boxes; }

  RarApp r;
  std::string dest = r.t.dir / "Download/";
  std::string outside = r.t.dir / "outside/";
  std::string arc = r.t.dir / "p.rar";
};

TEST_F(UnRAR3Test, StoredEntriesLandUnderTheirPathsWithWindowsSeparators) {
  const fs::path cwd = fs::current_path();
  EXPECT_EQ(0, ExtractEntries({Rar4File("a.txt", "alpha"), Rar4Dir("lib"),
                               Rar4File("lib\\x.dll", std::string(70000, 'x')),
                               Rar4File("deep\\er\\y.ini", "[s]\r\nk=1\r\n"),
                               Rar4File("données\\été €.txt", "utf"), Rar4File("empty", "")}));
  const std::map<std::string, std::string> want = {{"a.txt", "alpha"},
                                                   {"lib", "<dir>"},
                                                   {"lib/x.dll", std::string(70000, 'x')},
                                                   {"deep", "<dir>"},
                                                   {"deep/er", "<dir>"},
                                                   {"deep/er/y.ini", "[s]\r\nk=1\r\n"},
                                                   {"données", "<dir>"},
                                                   {"données/été €.txt", "utf"},
                                                   {"empty", ""}};
  EXPECT_EQ(want, Tree(dest));
  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(6, r.t.windowing.pumps);  // once per entry
  EXPECT_EQ(cwd, fs::current_path());
}

TEST_F(UnRAR3Test, ExistingFilesAreReplaced) {
  WriteFile(dest + "a.txt", "old and longer");
  EXPECT_EQ(0, ExtractEntries({Rar4File("a.txt", "new")}));
  EXPECT_EQ("new", ReadFile(dest + "a.txt"));
}

// Each hostile entry sits second of three: it is refused and counted, the walk goes on, and
// nothing appears outside the destination.
TEST_F(UnRAR3Test, HostileEntriesAreRefusedAndTheWalkGoesOn) {
  const std::string abs = outside + "abs.txt";
  Rar4Entry hardTarget = Rar4File("h", "x");
  const std::vector<std::pair<std::string, Rar4Entry>> cases = {
      {"dotdot backslash", Rar4File("..\\outside\\x.txt", "evil")},
      {"dotdot slash", Rar4File("../outside/x.txt", "evil")},
      {"dotdot inside", Rar4File("lib\\..\\..\\outside\\x.txt", "evil")},
      {"absolute", Rar4File(abs, "evil")},
      {"absolute backslash", Rar4File("\\tmp\\quo_abs_evil.txt", "evil")},
      {"drive letter", Rar4File("C:\\x.txt", "evil")},
      {"drive relative", Rar4File("c:x.txt", "evil")},
      {"the folder itself", Rar4File(".", "evil")},
      {"a subfolder itself", Rar4File("lib\\.", "evil")},
      {"file named like a folder", Rar4File("lib\\", "evil")},
      {"symlink", Rar4Symlink("link", outside)},
      {"symlink relative", Rar4Symlink("up", "../outside")},
  };
  for (const auto& [what, entry] : cases) {
    SCOPED_TRACE(what);
    fs::remove_all(dest);
    MakeDirs(dest);
    boxes().clear();
    EXPECT_EQ(1, ExtractEntries({Rar4File("first", "1"), entry, Rar4File("third", "3")}));
    EXPECT_EQ((std::map<std::string, std::string>{{"first", "1"}, {"third", "3"}}), Tree(dest));
    EXPECT_TRUE(Tree(outside).empty());
    EXPECT_FALSE(Exists("/tmp/quo_abs_evil.txt"));
    ASSERT_EQ(1u, boxes().size());
    EXPECT_EQ("erreur", boxes()[0].text);
    EXPECT_EQ(MsgButtons::Ok, boxes()[0].buttons);
  }
}

TEST_F(UnRAR3Test, ALinkAlreadyInTheDestinationIsNotFollowed) {
  fs::create_directory_symlink(outside, dest + "lib");
  EXPECT_EQ(1, ExtractEntries({Rar4File("lib\\x.dll", "evil")}));
  EXPECT_TRUE(Tree(outside).empty());
}

TEST_F(UnRAR3Test, DestinationReachedThroughALinkStillWorks) {
  fs::create_directory_symlink(dest, r.t.dir / "via");
  UnRAR3::ExtraireArchive(*r.t.app, (WriteRar4(arc, {Rar4File("lib\\x.dll", "ok")}), arc),
                          r.t.dir / "via", "");
  EXPECT_EQ(0, UnRAR3::NbErreursRar());
  EXPECT_EQ("ok", ReadFile(dest + "lib/x.dll"));
}

TEST_F(UnRAR3Test, AFileWhereAFolderMustBeFailsThatEntryOnly) {
  WriteFile(dest + "lib", "keep me");
  EXPECT_EQ(1, ExtractEntries({Rar4File("lib\\x.dll", "x"), Rar4File("b", "b")}));
  EXPECT_EQ("keep me", ReadFile(dest + "lib"));
  EXPECT_EQ("b", ReadFile(dest + "b"));
}

TEST_F(UnRAR3Test, DamagedArchivesCountAFailureAndLeaveNoTruncatedFile) {
  const std::string b(5000, 'b'), c(3000, 'c');
  const Rar4Image img = BuildRar4({Rar4File("a", "aaaa"), Rar4File("b", b), Rar4File("c", c)});
  struct Case {
    std::string what, bytes;
    int failures;
    std::map<std::string, std::string> left;
  };
  // A cut inside an entry's data fails that entry and the walk (its next header is missing).
  const std::vector<Case> cases = {
      {"bad header checksum", img.WithBadHeaderCrc(1), 1, {{"a", "aaaa"}}},
      {"truncated data", img.TruncatedInData(1), 2, {{"a", "aaaa"}}},
      {"truncated last", img.TruncatedInData(2), 2, {{"a", "aaaa"}, {"b", b}}},
      {"cut before end block",
       img.bytes.substr(0, img.dataEnd[2]),
       0,
       {{"a", "aaaa"}, {"b", b}, {"c", c}}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    fs::remove_all(dest);
    MakeDirs(dest);
    EXPECT_EQ(k.failures, ExtractBytes(k.bytes));
    const auto got = Tree(dest);
    EXPECT_TRUE(got == k.left) << got.size() << " entries";
  }
}

TEST_F(UnRAR3Test, WhatIsNotARarCountsOneFailureWithoutAMessage) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"empty", ""},
      {"text", "this is not an archive"},
      {"zip", std::string("PK\x03\x04", 4) + std::string(100, '\0')},
      {"marker only", std::string("Rar!\x1a\x07\x00", 7)},
      {"random",
       [] {
         std::string s;
         unsigned v = 12345;
         for (int i = 0; i < 4096; ++i)
           s += static_cast<char>((v = v * 1103515245u + 12345u) >> 16);
         return s;
       }()},
  };
  for (const auto& [what, bytes] : cases) {
    SCOPED_TRACE(what);
    EXPECT_EQ(1, ExtractBytes(bytes));
    EXPECT_TRUE(Tree(dest).empty());
  }
  EXPECT_TRUE(boxes().empty());
}

TEST_F(UnRAR3Test, AMissingArchiveKeepsTheLastCount) {
  EXPECT_EQ(2, ExtractEntries({Rar4File("../a", "x"), Rar4File("/b", "y")}));
  EXPECT_EQ(1u, boxes().size());  // one message per archive, however many entries fail
  EXPECT_EQ(2, Extract(r.t.dir / "missing.rar"));
  EXPECT_EQ(0, ExtractEntries({Rar4File("ok", "x")}));
}

TEST_F(UnRAR3Test, EncryptedEntriesWriteNothing) {
  Rar4Entry e = Rar4File("secret.dll", "ciphertext-looking-bytes");
  e.encrypted = true;
  EXPECT_EQ(1, ExtractEntries({e, Rar4File("plain", "p")}));
  EXPECT_EQ((std::map<std::string, std::string>{{"plain", "p"}}), Tree(dest));
}

TEST_F(UnRAR3Test, StoppingBetweenEntriesCountsTheArchiveIncomplete) {
  int asked = 0;
  WriteRar4(arc, {Rar4File("a", "a"), Rar4File("b", "b"), Rar4File("c", "c")});
  EXPECT_EQ(1, Extract(arc, [&] { return ++asked < 2; }));
  EXPECT_EQ((std::map<std::string, std::string>{{"a", "a"}}), Tree(dest));
}

TEST_F(UnRAR3Test, TenThousandEntries) {
  std::vector<Rar4Entry> entries;
  for (int i = 0; i < 10000; ++i)
    entries.push_back(Rar4File("d" + std::to_string(i % 10) + "\\f" + std::to_string(i), "x"));
  EXPECT_EQ(0, ExtractEntries(entries));
  EXPECT_EQ(10010u, Tree(dest).size());
  EXPECT_EQ(10000, r.t.windowing.pumps);
}

TEST(UnRAR3Limits, EntriesAboveTheLimitAreRefusedAndRemoved) {
  RarApp r(LibarchiveRar::Options{1 << 20});
  const std::string dest = r.t.dir / "Download/", arc = r.t.dir / "bomb.rar";
  const std::string big(2 << 20, 'z');
  Rar4Entry bomb = Rar4File("bomb", "only a little data");  // claims 16 GiB
  bomb.packedSize = bomb.unpackedSize = std::uint64_t{16} << 30;
  const std::vector<std::pair<std::string, std::vector<Rar4Entry>>> cases = {
      {"declared too large", {Rar4File("big", big), Rar4File("next", "n")}},
      {"bomb", {Rar4File("first", "f"), bomb}},
  };
  for (const auto& [what, entries] : cases) {
    SCOPED_TRACE(what);
    fs::remove_all(dest);
    MakeDirs(dest);
    WriteRar4(arc, entries);
    UnRAR3::ExtraireArchive(*r.t.app, arc, dest, "");
    EXPECT_GE(UnRAR3::NbErreursRar(), 1);
    for (const auto& [name, content] : Tree(dest)) EXPECT_LE(content.size(), 1u << 20) << name;
    EXPECT_FALSE(Exists(dest + "big"));
    EXPECT_FALSE(Exists(dest + "bomb"));
  }
  // Exactly at the limit is fine.
  WriteRar4(arc, {Rar4File("edge", std::string(1 << 20, 'e'))});
  UnRAR3::ExtraireArchive(*r.t.app, arc, dest, "");
  EXPECT_EQ(0, UnRAR3::NbErreursRar());
}

// The service itself refuses a target that is not the destination followed by the entry's path.
TEST(LibarchiveRarTest, ProcessFileChecksTheTargetAgainstTheDestination) {
  RarApp r;
  const std::string arc = r.t.dir / "a.rar", dest = r.t.dir / "d/";
  WriteRar4(arc, {Rar4File("a", "x"), Rar4File("b", "y"), Rar4File("c", "z")});
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
  EXPECT_EQ(kRarSuccess, r.rar.ProcessFile(h, kRarTest, dest, ""));
  EXPECT_EQ(kRarEndArchive, r.rar.ReadHeader(h, head));
  EXPECT_EQ(kRarEndArchive, r.rar.ReadHeader(h, head));
  r.rar.CloseArchive(h);
  EXPECT_TRUE(Tree(r.t.dir / "elsewhere").empty());
  EXPECT_TRUE(Tree(dest).empty());

  RarOpenArchiveData missing{r.t.dir / "none.rar"};
  EXPECT_EQ(nullptr, r.rar.OpenArchive(missing));
  EXPECT_EQ(kRarOpenFailed, missing.OpenResult);
}

// Real archives made by the RAR program: the result must match bsdtar's extraction of the same
// archive, file for file.
class RarFixtureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = RarFixtures();
    if (dir.empty()) GTEST_SKIP() << "fixtures folder " << QUO_FIXTURES_DIR << "/rar absent";
  }
  std::map<std::string, std::string> Reference(const std::string& archive) {
    const std::string out = r.t.dir / "ref/";
    MakeDirs(out);
    const std::string cmd = "bsdtar -xf '" + archive + "' -C '" + out + "' 2>/dev/null";
    EXPECT_EQ(0, std::system(cmd.c_str())) << cmd;
    return Tree(out);
  }
  std::string dir;
  RarApp r;
};

// Link entries are refused (one failure each); everything else matches bsdtar.
TEST_F(RarFixtureTest, GoodArchivesExtractLikeBsdtar) {
  struct Case {
    std::string name;
    int entries;
    std::set<std::string> links;
  };
  const std::vector<Case> cases = {
      {"rar.rar", 5, {"testlink"}},
      {"rar_windows.rar", 5, {}},
      {"rar_compress_normal.rar", 6, {"testlink"}},
      {"rar_compress_best.rar", 6, {"testlink"}},
      {"rar_unicode.rar", 6, {"表だよ/ファイル"}},
      {"rar5_stored.rar", 1, {}},
      {"rar5_compressed.rar", 1, {}},
      {"rar5_multiple_files.rar", 4, {}},
      {"rar5_solid.rar", 7, {}},
      {"rar5_unicode.rar", 3, {"Ⓗⓐⓡⓓ Ⓛⓘⓝⓚ.txt", "𝒮𝓎𝓂𝒷𝑜𝓁𝒾𝒸 𝐿𝒾𝓃𝓀.txt"}},
      {"rar5_hardlink.rar", 2, {"hardlink.txt"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string dest = r.t.dir / ("x_" + c.name + "/");
    r.t.windowing.pumps = 0;
    r.t.windowing.boxes.clear();
    UnRAR3::ExtraireArchive(*r.t.app, dir + c.name, dest, "");
    EXPECT_EQ(static_cast<int>(c.links.size()), UnRAR3::NbErreursRar());
    EXPECT_EQ(c.entries, r.t.windowing.pumps);
    EXPECT_EQ(c.links.empty() ? 0u : 1u, r.t.windowing.boxes.size());
    const auto got = Tree(dest);
    EXPECT_FALSE(got.empty());
    for (const auto& [path, content] : got) EXPECT_EQ(std::string::npos, path.find('\\')) << path;
    fs::remove_all(r.t.dir / "ref");
    auto want = Reference(dir + c.name);
    for (const std::string& link : c.links) EXPECT_EQ(1u, want.erase(link)) << link;
    EXPECT_EQ(want, got);
  }
}

TEST_F(RarFixtureTest, UndecryptableAndDamagedArchivesAreReportedCorrupted) {
  for (const std::string name :
       {"rar4_encrypted.rar", "rar5_encrypted.rar", "rar5_bad_tables.rar"}) {
    SCOPED_TRACE(name);
    const std::string dest = r.t.dir / ("x_" + name + "/");
    UnRAR3::ExtraireArchive(*r.t.app, dir + name, dest, "secret");
    EXPECT_GE(UnRAR3::NbErreursRar(), 1);
    for (const auto& [path, content] : Tree(dest)) EXPECT_NE("<link>", content) << path;
  }
}

}  // namespace
}  // namespace quo::test
