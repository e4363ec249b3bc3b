// Private-profile (INI) files, with the observable behaviour of the Windows functions:
// case-insensitive section and key names (ASCII and Latin-1), the first match wins, surrounding
// blanks and one pair of surrounding quotes stripped from values, missing file/section/key read
// as empty. Files may use CR LF or LF and be UTF-8 or Windows-1252; values come back as UTF-8.
#pragma once

#include <string>

namespace quo {

class PrivateProfile {
 public:
  virtual ~PrivateProfile() = default;

  // The value, cut to maxChars characters; "" when the file, section or key is missing.
  virtual std::string Get(const std::string& file, const std::string& section,
                          const std::string& key, std::size_t maxChars) = 0;
  // The same for a file read for one value (a large file from a server): scanned up to the key,
  // nothing kept, in about twice the file's size of memory.
  virtual std::string GetUncached(const std::string& file, const std::string& section,
                                  const std::string& key, std::size_t maxChars) = 0;
  // Writes the key in place, keeping every other line and byte; appends a missing key at the
  // end of its section and a missing section at the end of the file; creates a missing file.
  // The file is replaced atomically. False when the write failed (nothing changed then).
  virtual bool Set(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) = 0;
};

}  // namespace quo
