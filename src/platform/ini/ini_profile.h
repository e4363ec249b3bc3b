// Private-profile (INI) files read and written by the program itself. The parsed content of the
// last files read is cached and refreshed whenever a file's stamp (size, file identity or
// modification time) changes, so that a file read key by key is parsed once while a value written
// is still seen by the next read. The files are read and written through the files service.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/private_profile.h"

namespace quo {

class IniProfile : public PrivateProfile {
 public:
  explicit IniProfile(Files& files) : files_(files) {}

  std::string Get(const std::string& file, const std::string& section, const std::string& key,
                  std::size_t maxChars) override;
  std::string GetUncached(const std::string& file, const std::string& section,
                          const std::string& key, std::size_t maxChars) override;
  bool Set(const std::string& file, const std::string& section, const std::string& key,
           const std::string& value) override;

 private:
  struct Parsed {
    Files::FileStamp stamp;
    // folded section name -> folded key -> value; the first of duplicates wins.
    std::map<std::string, std::map<std::string, std::string>> sections;
  };
  const Parsed* Load(const std::string& file);

  Files& files_;
  std::map<std::string, Parsed> cache_;
};

// The parsing rules, shared with the tests and fuzzers.
namespace ini {

struct Line {
  enum Kind { Other, Section, Key } kind = Other;
  std::string name;   // section or key name as written (trimmed)
  std::string value;  // for keys: trimmed and unquoted
};

Line ParseLine(const std::string& decodedLine);
// The text with surrounding blanks and one pair of matching quotes removed.
std::string CleanValue(const std::string& raw);
// Applies a write to a file's bytes and returns the new bytes.
std::string ApplySet(const std::string& bytes, const std::string& section, const std::string& key,
                     const std::string& value);

}  // namespace ini
}  // namespace quo
