// The translation table: the texts of one language, loaded from LanguesUpdate/<id>.lng.
// A language file holds one entry per line in fixed columns counted in characters: window part
// in 1-40, key part in 41-80, the text from 81 on; each field is stripped of surrounding blanks.
// Keys match without regard to case (ASCII and Latin-1 letters); the first line of a key wins.
#pragma once

#include <string>
#include <unordered_map>

#include "platform/platform.h"

namespace quo {

struct TranslationEntry {
  std::string text;
};

class TranslationTable {
 public:
  TranslationTable(Platform& platform, std::string programDir)
      : platform_(platform), programDir_(std::move(programDir)) {}

  // The text for key; window "" means "_" (messages). A message missing from the file gives
  // its built-in French text when it has one, any other missing entry "".
  std::string Translate(const std::string& key, const std::string& window = "") const;
  // The entry of the loaded file alone; nullptr when it has none.
  const std::string* Find(const std::string& key, const std::string& window = "") const;
  // Replaces the table with the file of currentLanguage; falls back to 1036 (and sets
  // currentLanguage to it) when that file does not exist.
  void LoadCurrentLanguage();
  // Parses a language file's text into the table (replacing it).
  void LoadText(const std::string& text);

  std::string LanguageFilePath(int language) const;
  std::size_t size() const { return table_.size(); }

  int currentLanguage = 1036;

 private:
  Platform& platform_;
  std::string programDir_;
  std::unordered_map<std::string, TranslationEntry> table_;
};

}  // namespace quo
