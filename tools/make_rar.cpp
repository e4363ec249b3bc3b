// Writes a RAR 4 archive (stored entries) of every file below a folder, with the project's own
// RAR writer. Entry names are the paths below the folder, "\" separated as archives made on
// Windows have them. Usage: quo_make_rar <archive.rar> <folder>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "writers/rar4_writer.h"

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
  std::vector<quo::writers::Rar4Entry> entries;
  for (const fs::path& f : files) {
    std::string name = fs::relative(f, folder).generic_string();
    std::replace(name.begin(), name.end(), '/', '\\');
    std::ifstream in(f, std::ios::binary);
    std::ostringstream data;
    data << in.rdbuf();
    entries.push_back(quo::writers::Rar4File(name, data.str()));
  }
  quo::writers::WriteRar4(argv[1], entries);
  return 0;
}
