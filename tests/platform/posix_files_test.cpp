// The files service: what counts as an existing file, the first file of a folder, and copies
// that never leave a torn target and give the mode they are asked for.
#include "platform/posix/posix_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

#include "core/error.h"
#include "support/temp_dir.h"

namespace quo {
namespace {

TEST(PosixFiles, OrdinaryFilesOnly) {
  test::TempDir dir;
  PosixFiles files;
  test::WriteFile(dir / "a.txt", "x");
  test::WriteFile(dir / ".hidden", "x");
  test::MakeDirs(dir / "sub");
  ASSERT_EQ(::symlink((dir / "a.txt").c_str(), (dir / "link").c_str()), 0);
  for (const auto& [name, ordinary] : std::vector<std::pair<std::string, bool>>{
           {"a.txt", true}, {"link", true}, {".hidden", false}, {"sub", false}, {"a.txt/", false},
           {"missing", false}})
    EXPECT_EQ(files.IsOrdinaryFile(dir / name), ordinary) << name;
  EXPECT_EQ(files.FirstFile(dir.path()), "a.txt");
  files.Remove(dir / "a.txt");
  EXPECT_EQ(files.FirstFile(dir.path()), "");  // a link to nothing is no file
  EXPECT_EQ(files.FirstFile(dir / "missing"), "");
  EXPECT_THROW(files.Remove(dir / "sub"), Error);
}

TEST(PosixFiles, FailedCopyKeepsTheTarget) {
  test::TempDir dir;
  PosixFiles files;
  test::WriteFile(dir / "target", "old");
  EXPECT_THROW(files.Copy(dir / "missing", dir / "target"), Error);
  EXPECT_EQ(test::ReadFile(dir / "target"), "old");
  test::WriteFile(dir / "src", "new");
  test::WriteFile(dir / "notadir", "");
  EXPECT_THROW(files.Copy(dir / "src", dir / "notadir/target"), Error);
  EXPECT_THROW(files.Copy(dir / "src", dir.path()), Error);  // cannot replace a folder
  EXPECT_FALSE(std::filesystem::exists(Files::TempCopyName(dir.path())));
  files.Copy(dir / "src", dir / "target");
  EXPECT_EQ(test::ReadFile(dir / "target"), "new");
  EXPECT_FALSE(files.MakeDirectory(dir / "notadir"));
  EXPECT_TRUE(files.MakeDirectory(dir / "d/"));
  EXPECT_FALSE(files.MakeDirectory(dir / "x/y"));  // one level only
}

// Under a umask of 027, from a setuid source of mode 4711. A target owned by 1234:5678 keeps its
// owner only when its mode is kept. A link (or a leftover) at the temporary name is replaced.
TEST(PosixFiles, CopyGivesTheAskedModeAndNeverFollowsTheTemporaryName) {
  test::TempDir dir;
  PosixFiles files;
  const std::string src = dir / "src", to = dir / "to", like = dir / "like", out = dir / "out";
  test::WriteFile(src, "new");
  test::WriteFile(like, "");
  ASSERT_TRUE(!::chmod(src.c_str(), 04711) && !::chmod(like.c_str(), 0604));
  test::WriteFile(out, "keep");
  using M = Files::CopyMode;
  const struct {
    mode_t before;  // 0: no target
    std::optional<M> mode;
    mode_t after;
    bool owner;
    bool link = true;  // else a plain leftover
  } cases[] = {
      {0755, {}, 0755, true}, {04700, {}, 0700, true, false}, {0, {}, 0711, false},
      {0755, M{.like = like}, 0604, false}, {0, M{.like = to, .keepSource = true}, 0711, false},
      {0600, M{.keepSource = true}, 0711, false}, {0755, M{}, 0640, false},
      {0600, M{.executable = true}, 0750, false, false},
  };
  const mode_t mask = ::umask(027);
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::oct << c.before << " -> " << c.after);
    std::filesystem::remove(to);
    if (c.before != 0) {
      test::WriteFile(to, "old");
      ASSERT_TRUE(!::chown(to.c_str(), 1234, 5678) && !::chmod(to.c_str(), c.before)) << "root";
    }
    const std::string tmp = Files::TempCopyName(to);
    if (c.link)
      ASSERT_EQ(::symlink(out.c_str(), tmp.c_str()), 0);
    else
      test::WriteFile(tmp, "leftover");
    c.mode ? files.Copy(src, to, *c.mode) : files.Copy(src, to);
    struct stat st{};
    ASSERT_EQ(::lstat(to.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, c.after);
    EXPECT_EQ(st.st_uid == 1234 && st.st_gid == 5678, c.owner);
    EXPECT_EQ(test::ReadFile(to), "new");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(tmp)));
    EXPECT_EQ(test::ReadFile(out), "keep");
  }
  ::umask(mask);
}

}  // namespace
}  // namespace quo
