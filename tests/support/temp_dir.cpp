#include "support/temp_dir.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace quo::test {

namespace {

// Paths are UTF-8 text; on Windows std::filesystem would read a narrow string in the ANSI code
// page.
std::filesystem::path Native(const std::string& path) {
  return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

}  // namespace

TempDir::TempDir(const std::string& base) {
#if defined(_WIN32)
  std::string root = base.empty() ? std::filesystem::temp_directory_path().string() : base;
  std::replace(root.begin(), root.end(), '\\', '/');
#else
  std::string root = base.empty() ? "/tmp" : base;
#endif
  if (root.back() != '/') root += '/';
  static std::mt19937_64 random{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "quo_test_%012llx",
                  static_cast<unsigned long long>(random() & 0xffffffffffffULL));
    std::error_code ec;
    if (std::filesystem::create_directory(root + name, ec)) {
      path_ = root + name + "/";
      return;
    }
    if (ec) break;
  }
  throw std::runtime_error("cannot make a temporary folder in " + root);
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(Native(path_), ec);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(Native(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& content) {
  if (!(std::ofstream(Native(path), std::ios::binary) << content))
    throw std::runtime_error("cannot write " + path);
}

bool Exists(const std::string& path) { return std::filesystem::exists(Native(path)); }

void MakeDirs(const std::string& path) { std::filesystem::create_directories(Native(path)); }

std::map<std::string, std::string> Tree(const std::string& root) {
  namespace fs = std::filesystem;
  const auto utf8 = [](const std::u8string& s) { return std::string(s.begin(), s.end()); };
  const fs::path base = Native(root);
  std::map<std::string, std::string> out;
  if (!fs::exists(base)) return out;
  for (const auto& e : fs::recursive_directory_iterator(base)) {
    const std::string rel = utf8(e.path().lexically_relative(base).generic_u8string());
    out[rel] = e.is_symlink()     ? "<link>"
               : e.is_directory() ? "<dir>"
                                  : ReadFile(utf8(e.path().u8string()));
  }
  return out;
}

}  // namespace quo::test
