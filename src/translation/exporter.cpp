#include "translation/exporter.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/text.h"
#include "platform/files.h"
#include "platform/translation_db.h"

namespace quo {
namespace {

constexpr std::size_t kKeyWidth = 40;
constexpr std::size_t kMaxLanguages = 10;

struct Language {
  std::string name;
  std::size_t column;
  std::string text;  // the language file being built
};

// A column name becomes a file name: it must stay inside LanguesUpdate/.
bool UsableFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

struct SortedRow {
  std::string formKey, controlKey;
  const std::string* f;
  const std::string* c;
  const DbRow* row;
};

// The language files' contents, by language; nullopt when the database breaks a rule.
std::optional<std::vector<Language>> BuildFiles(TranslationDb& db, bool fillMissing) {
  const std::vector<std::string> columns = db.Columns("Traduction");
  std::vector<Language> langs;
  std::optional<std::size_t> f, c, french;
  std::set<std::string> names;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const std::string& name = columns[i];
    if (name == "Formulaire") {
      f = i;
    } else if (name == "Controle") {
      c = i;
    } else {
      if (!UsableFileName(name) || !names.insert(FoldCase(name)).second) return std::nullopt;
      if (name == "1036") french = i;
      langs.push_back({name, i, {}});
    }
  }
  if (!f || !c || !french || langs.size() > kMaxLanguages) return std::nullopt;

  const std::vector<DbRow> rows = db.ReadRows("Traduction");
  std::vector<SortedRow> sorted;
  sorted.reserve(rows.size());
  for (const DbRow& row : rows) {
    if (row.size() != columns.size()) return std::nullopt;
    const auto& fv = row[*f];
    const auto& cv = row[*c];
    if (!fv || !cv || Utf8Length(*fv) > kKeyWidth || Utf8Length(*cv) > kKeyWidth)
      return std::nullopt;
    sorted.push_back({FoldCase(*fv), FoldCase(*cv), &*fv, &*cv, &row});
  }
  // The engine's text order ignores letter case; the exact bytes break its ties.
  std::stable_sort(sorted.begin(), sorted.end(), [](const SortedRow& a, const SortedRow& b) {
    if (a.formKey != b.formKey) return a.formKey < b.formKey;
    if (a.controlKey != b.controlKey) return a.controlKey < b.controlKey;
    if (*a.f != *b.f) return *a.f < *b.f;
    return *a.c < *b.c;
  });

  for (const SortedRow& s : sorted) {
    const std::string keys = PadRight(*s.f, kKeyWidth) + PadRight(*s.c, kKeyWidth);
    const std::string frenchText = (*s.row)[*french].value_or("");
    for (Language& lang : langs) {
      std::string text = (*s.row)[lang.column].value_or("");
      if (fillMissing && text.empty()) text = frenchText;
      lang.text += keys + text + "\r\n";
    }
  }
  return langs;
}

}  // namespace

void ExportTranslations(const Platform& platform, const std::string& programDir, bool fillMissing) {
  Files& files = *platform.files;
  const std::string folder = programDir + "LanguesUpdate/";
  files.MakeDirectory(programDir + "LanguesUpdate");
  TranslationDb* db = platform.translationDb;
  const std::string dbPath = programDir + "TraductionUpdate.mdb";
  if (db == nullptr || !files.IsOrdinaryFile(dbPath)) return;

  std::optional<std::vector<Language>> langs;
  try {
    db->Open(dbPath);
    langs = BuildFiles(*db, fillMissing);
  } catch (const std::exception&) {
    langs.reset();
  }
  db->Close();
  if (!langs) return;

  // Every file is written under a temporary name first, then all are put in place: a failure
  // while writing leaves the previous language files as they were.
  std::vector<std::string> written;
  try {
    for (const Language& lang : *langs) {
      const std::string temp = folder + lang.name + ".lng.new";
      files.WriteAtomic(temp, lang.text);
      written.push_back(temp);
    }
    for (const Language& lang : *langs) {
      files.Rename(folder + lang.name + ".lng.new", folder + lang.name + ".lng");
    }
  } catch (const std::exception&) {
    for (const std::string& temp : written) {
      try {
        if (files.IsOrdinaryFile(temp)) files.Remove(temp);
      } catch (const std::exception&) {
      }
    }
  }
}

}  // namespace quo
