#include "translation/translation_table.h"

#include "core/text.h"
#include "translation/builtin_texts.h"
#include "platform/files.h"

namespace quo {

const std::string* TranslationTable::Find(const std::string& key,
                                          const std::string& window) const {
  const auto it = table_.find(FoldCase((window.empty() ? "_" : window) + "|" + key));
  return it == table_.end() ? nullptr : &it->second.text;
}

std::string TranslationTable::Translate(const std::string& key, const std::string& window) const {
  if (const std::string* text = Find(key, window)) return *text;
  const std::string* builtin = window.empty() || window == "_" ? BuiltinText(key) : nullptr;
  return builtin != nullptr ? *builtin : std::string();
}

std::string TranslationTable::LanguageFilePath(int language) const {
  return programDir_ + "LanguesUpdate/" + std::to_string(language) + ".lng";
}

void TranslationTable::LoadCurrentLanguage() {
  if (!platform_.files->IsOrdinaryFile(LanguageFilePath(currentLanguage))) currentLanguage = 1036;
  const auto bytes = platform_.files->ReadAll(LanguageFilePath(currentLanguage));
  table_.clear();
  if (bytes) LoadText(DecodeFileText(*bytes));
}

void TranslationTable::LoadText(const std::string& text) {
  table_.clear();
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string head = Utf8Left(line, 80);
    const std::string window = Trim(Utf8Left(head, 40));
    const std::string key = Trim(Utf8Mid(head, 40));
    const std::string entryText = Trim(line.substr(head.size()));
    table_.emplace(FoldCase(window + "|" + key), TranslationEntry{entryText});
  }
}

}  // namespace quo
