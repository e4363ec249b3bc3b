// The files service: what counts as an existing file, the first file of a folder, and copies
// that never leave a torn target.
#include "platform/posix/base/posix_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

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
  files.Copy(dir / "src", dir / "target");
  EXPECT_EQ(test::ReadFile(dir / "target"), "new");
  EXPECT_FALSE(files.MakeDirectory(dir / "notadir"));
  EXPECT_TRUE(files.MakeDirectory(dir / "d/"));
  EXPECT_FALSE(files.MakeDirectory(dir / "x/y"));  // one level only
}

}  // namespace
}  // namespace quo
