#include "platform/mdb/mdb_translation_db.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string_view>

// glib must come first: mdbtools.h uses its types without including it in C++.
#include <glib.h>
// clang-format off
#include <mdbtools.h>
// clang-format on

#include "core/error.h"
#include "platform/posix/isolated_call.h"

namespace quo {
namespace {

constexpr int kOffsetMask = 0x1fff;  // row offsets on a data page carry flags in the high bits
constexpr std::size_t kMemoChars = 65536;  // longest memo Access lets a user type, and then some

struct TableDefDeleter {
  void operator()(MdbTableDef* t) const { mdb_free_tabledef(t); }
};
using TablePtr = std::unique_ptr<MdbTableDef, TableDefDeleter>;

MdbColumn* ColumnAt(MdbTableDef* table, unsigned int i) {
  return static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
}

// Bytes a bound value of this column may need, terminating zero included. Text sizes are
// stored in bytes of the file's encoding (UCS-2 for Jet 4, one byte per character for Jet 3);
// a character may take up to 3 bytes in UTF-8.
std::size_t BindSizeFor(const MdbColumn* col) {
  switch (col->col_type) {
    case MDB_TEXT:
      return static_cast<std::size_t>(std::max(col->col_size, 0)) * 3 + 2;
    case MDB_MEMO:
      return kMemoChars * 4 + 2;
    default:
      return 256;  // numbers, dates and flags written as text
  }
}

struct MdbDeleter {
  void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
};
using MdbPtr = std::unique_ptr<MdbHandle, MdbDeleter>;

MdbPtr OpenMdb(const std::string& path) {
  MdbPtr mdb(mdb_open(path.c_str(), MDB_NOFLAGS));
  if (!mdb) throw Error(path + " is not a database that can be read");
  if (!mdb_read_catalog(mdb.get(), MDB_TABLE)) throw Error("cannot read the catalog of " + path);
  return mdb;
}

TablePtr OpenTable(MdbHandle* mdb, const std::string& path, const std::string& name) {
  std::string mutableName = name;  // libmdb takes a non-const name
  TablePtr table(mdb_read_table_by_name(mdb, mutableName.data(), MDB_TABLE));
  if (!table) throw Error("table \"" + name + "\" not found in " + path);
  if (!mdb_read_columns(table.get()) || table->num_cols == 0)
    throw Error("cannot read the columns of table \"" + name + "\" in " + path);
  return table;
}

std::vector<DbRow> ReadAllRows(MdbHandle* mdb, MdbTableDef* table, const std::string& path) {
  const unsigned int n = table->num_cols;

  // libmdb cuts a value silently at the bind size: size it so that no value of the columns'
  // declared sizes can reach it, and treat a value that fills it as an error.
  std::size_t bindSize = MDB_BIND_SIZE;
  for (unsigned int i = 0; i < n; ++i) {
    const MdbColumn* col = ColumnAt(table, i);
    if (col->col_type == MDB_OLE || col->col_type == MDB_BINARY)
      throw Error(std::string("column \"") + col->name + "\" of " + path + " holds binary data");
    bindSize = std::max(bindSize, BindSizeFor(col));
  }
  mdb_set_bind_size(mdb, bindSize);
  std::vector<std::vector<char>> values(n, std::vector<char>(bindSize, '\0'));
  std::vector<int> lengths(n, 0);
  for (unsigned int i = 0; i < n; ++i) {
    if (mdb_bind_column(table, static_cast<int>(i + 1), values[i].data(), &lengths[i]) < 0)
      throw Error("cannot read column " + std::to_string(i + 1) + " of " + path);
  }

  std::vector<DbRow> rows;
  std::vector<MdbField> fields(n);
  mdb_rewind_table(table);
  while (mdb_fetch_row(table)) {
    // The row just read is the one before cur_row on the current data page; the bound buffers
    // hold "" for NULL and empty alike, so the NULL flags come from the row itself.
    int start = 0;
    size_t size = 0;
    if (table->cur_row == 0 ||
        mdb_find_row(mdb, static_cast<int>(table->cur_row - 1), &start, &size) != 0 ||
        mdb_crack_row(table, start & kOffsetMask, size, fields.data()) < 0)
      throw Error("damaged row in " + path);
    DbRow row(n);
    for (unsigned int i = 0; i < n; ++i) {
      const int c = fields[i].colnum;
      if (c < 0 || static_cast<unsigned int>(c) >= n) throw Error("damaged row in " + path);
      // A yes/no column keeps its value in the NULL bit; it is never NULL.
      if (fields[i].is_null && ColumnAt(table, c)->col_type != MDB_BOOL) continue;
      const std::size_t len = static_cast<std::size_t>(std::max(lengths[c], 0));
      if (len + 1 >= bindSize) throw Error("value too long in " + path);
      row[c] = std::string(values[c].data(), len);
    }
    rows.push_back(std::move(row));
  }
  // mdb_fetch_row ends the same way at the end of the table and on a page it cannot read: the
  // row count kept in the table definition tells a whole read from a cut one.
  if (rows.size() < table->num_rows)
    throw Error("the table of " + path + " could not be read whole");
  return rows;
}

// The child's result travels as length-prefixed fields.
void Put(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}
void Put(std::string& out, std::string_view s) {
  Put(out, static_cast<std::uint32_t>(s.size()));
  out.append(s);
}

class Reader {
 public:
  explicit Reader(std::string_view data) : data_(data) {}
  std::uint32_t U32() {
    Need(4);
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
      v |= static_cast<std::uint32_t>(static_cast<unsigned char>(data_[pos_ + i])) << (8 * i);
    pos_ += 4;
    return v;
  }
  unsigned char Byte() {
    Need(1);
    return static_cast<unsigned char>(data_[pos_++]);
  }
  std::string Str() {
    const std::uint32_t n = U32();
    Need(n);
    std::string s(data_.substr(pos_, n));
    pos_ += n;
    return s;
  }
  bool AtEnd() const { return pos_ == data_.size(); }

 private:
  void Need(std::size_t n) {
    if (data_.size() - pos_ < n) throw Error("the reader's answer is cut");
  }
  std::string_view data_;
  std::size_t pos_ = 0;
};

std::string EncodeTable(const MdbTranslationDb::Table& t) {
  std::string out;
  Put(out, static_cast<std::uint32_t>(t.columns.size()));
  for (const auto& c : t.columns) Put(out, c);
  Put(out, static_cast<std::uint32_t>(t.rows.size()));
  for (const auto& row : t.rows) {
    for (const auto& cell : row) {
      out.push_back(cell ? '\1' : '\0');
      if (cell) Put(out, *cell);
    }
  }
  return out;
}

MdbTranslationDb::Table DecodeTable(std::string_view data) {
  Reader in(data);
  MdbTranslationDb::Table t;
  const std::uint32_t ncols = in.U32();
  for (std::uint32_t i = 0; i < ncols; ++i) t.columns.push_back(in.Str());
  const std::uint32_t nrows = in.U32();
  for (std::uint32_t r = 0; r < nrows; ++r) {
    DbRow row(ncols);
    for (std::uint32_t i = 0; i < ncols; ++i) {
      if (in.Byte() != 0) row[i] = in.Str();
    }
    t.rows.push_back(std::move(row));
  }
  if (!in.AtEnd()) throw Error("the reader's answer is malformed");
  return t;
}

}  // namespace

void MdbTranslationDb::Open(const std::string& path) {
  Close();
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) throw Error("cannot find " + path);
  if (!S_ISREG(st.st_mode)) throw Error(path + " is not a file");
  RunIsolated(
      [&] {
        OpenMdb(path);
        return std::string();
      },
      timeoutMs);
  path_ = path;
}

void MdbTranslationDb::Close() {
  path_.clear();
  tables_.clear();
}

const MdbTranslationDb::Table& MdbTranslationDb::Load(const std::string& name) {
  if (path_.empty()) throw Error("no translation database is open");
  const auto found = tables_.find(name);
  if (found != tables_.end()) return found->second;
  const std::string path = path_;
  const std::string reply = RunIsolated(
      [&] {
        const MdbPtr mdb = OpenMdb(path);
        const TablePtr table = OpenTable(mdb.get(), path, name);
        Table t;
        for (unsigned int i = 0; i < table->num_cols; ++i)
          t.columns.emplace_back(ColumnAt(table.get(), i)->name);
        t.rows = ReadAllRows(mdb.get(), table.get(), path);
        return EncodeTable(t);
      },
      timeoutMs);
  return tables_.emplace(name, DecodeTable(reply)).first->second;
}

std::vector<std::string> MdbTranslationDb::Columns(const std::string& table) {
  return Load(table).columns;
}

std::vector<DbRow> MdbTranslationDb::ReadRows(const std::string& table) { return Load(table).rows; }

}  // namespace quo
