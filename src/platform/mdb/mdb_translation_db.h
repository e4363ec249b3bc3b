// Translation database service over mdbtools' libmdb (Jet 3 and Jet 4 .mdb files).
// libmdb trusts the file's structures and can crash on a damaged file, so every read runs in a
// child process that hands its result back through a pipe: a crash or a hang there becomes
// quo::Error here.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/translation_db.h"

namespace quo {

class MdbTranslationDb : public TranslationDb {
 public:
  MdbTranslationDb() = default;

  void Open(const std::string& path) override;
  std::vector<std::string> Columns(const std::string& table) override;
  std::vector<DbRow> ReadRows(const std::string& table) override;
  void Close() override;

  // Longest time one read may take before the reader is stopped (a damaged file may loop).
  int timeoutMs = 30000;

  struct Table {
    std::vector<std::string> columns;
    std::vector<DbRow> rows;
  };

 private:
  const Table& Load(const std::string& table);

  std::string path_;  // empty when no database is open
  std::map<std::string, Table> tables_;
};

}  // namespace quo
