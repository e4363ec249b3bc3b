// A fresh folder under the system's temporary folder (/tmp; on Windows the user's Temp folder, with
// "/" separators) or another base folder, for one test, removed with everything in it at the end.
#pragma once

#include <map>
#include <string>

namespace quo::test {

class TempDir {
 public:
  explicit TempDir(const std::string& base = "");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder, with a trailing "/".
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// Small file helpers for tests.
std::string ReadFile(const std::string& path);  // "" when missing
void WriteFile(const std::string& path, const std::string& content);
bool Exists(const std::string& path);
void MakeDirs(const std::string& path);
// Every entry below root by its relative path ("/" separators): a file's content, "<dir>" for a
// folder, "<link>" for a link (not followed); empty when root does not exist.
std::map<std::string, std::string> Tree(const std::string& root);

}  // namespace quo::test
