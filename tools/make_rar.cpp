// Writes a RAR 4 archive (stored entries) of every file below a folder, with the project's own
// RAR writer. Entry names are the paths below the folder, "\" separated as archives made on
// Windows have them. Usage: quo_make_rar <archive.rar> <folder>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/rar4_writer.h"
#include "support/temp_dir.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <archive.rar> <folder>\n", argv[0]);
    return 2;
  }
  namespace fs = std::filesystem;
  const fs::path folder = argv[2];
  std::error_code ec;
  std::vector<fs::path> files;
  for (const auto& e : fs::recursive_directory_iterator(folder, ec))
    if (e.is_regular_file()) files.push_back(e.path());
  if (ec || files.empty()) {
    std::fprintf(stderr, "%s: no file to archive in %s\n", argv[0], argv[2]);
    return 1;
  }
  std::sort(files.begin(), files.end());
  std::vector<quo::test::Rar4Entry> entries;
  for (const fs::path& f : files) {
    std::string name = fs::relative(f, folder).generic_string();
    std::replace(name.begin(), name.end(), '/', '\\');
    entries.push_back(quo::test::Rar4File(name, quo::test::ReadFile(f.string())));
  }
  quo::test::WriteRar4(argv[1], entries);
  return 0;
}
