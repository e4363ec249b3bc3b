#include "update/rar_test_support.h"

#include <filesystem>

namespace quo::test {

std::map<std::string, std::string> Tree(const std::string& root) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> out;
  if (!fs::exists(root)) return out;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    const std::string rel = e.path().lexically_relative(root).generic_string();
    if (e.is_symlink())
      out[rel] = "<link>";
    else if (e.is_directory())
      out[rel] = "<dir>";
    else
      out[rel] = ReadFile(e.path().string());
  }
  return out;
}

std::string RarFixtures() {
  const std::string dir = std::string(QUO_FIXTURES_DIR) + "/rar/";
  return std::filesystem::is_directory(dir) ? dir : "";
}

}  // namespace quo::test
