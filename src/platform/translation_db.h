// Translation database service: read access to the translators' Jet (.mdb) database, a table
// with one text column per language. Only reading is needed: open a file, list the columns of a
// table in table order, read every row. A NULL cell is told apart from an empty text. Text comes
// back as UTF-8. A file that is missing, unreadable, damaged or not a Jet database gives
// quo::Error; no call crashes or hangs on such a file.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quo {

// One row: one cell per column, in table order; nullopt is NULL.
using DbRow = std::vector<std::optional<std::string>>;

class TranslationDb {
 public:
  virtual ~TranslationDb() = default;

  // Opens the database at path for reading, closing any database opened before (throws).
  virtual void Open(const std::string& path) = 0;
  // Names of the columns of table, in table order (throws when no database is open or the table
  // does not exist).
  virtual std::vector<std::string> Columns(const std::string& table) = 0;
  // Every row of table in storage order, cells in the order of Columns (throws when the table
  // cannot be read whole: no partial result).
  virtual std::vector<DbRow> ReadRows(const std::string& table) = 0;
  // Closes the open database; nothing happens when none is open. Never throws.
  virtual void Close() = 0;
};

}  // namespace quo
