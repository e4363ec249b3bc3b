// The install journal: <program folder><executable's name>.journal, beside the settings file. It
// lets the next start finish or undo an installation that a kill or a power cut interrupted.
//
// One record a line: fields separated by tabs (a tab, a line end or a backslash in a field is
// written \t, \n, \r, \\), then a tab and the record's checksum (16 hexadecimal digits), so that a
// line cut short is recognised and ignored with everything after it. The head is written at once
// (a temporary file renamed, the folder synced) before the first change to the product:
//   head  <installed version> <version installed> <product folder>
//   plan  <k> <path> <backup path or ""> <kill name> <kind> <register 0/1>   (each section)
// then, each synced before the step it allows, for section k:
//   start k, unregister k, backup k, copy k, register k
// and "commit" once every section is installed. Removing the journal is the installation's last
// act; a failed installation is rolled back before the journal goes.
//
// Anyone who may write the program folder may put a journal there, and the next start may run
// as an administrator: the journal is written open to this user alone, and read only when the
// files service finds it is still so, and only as this program writes it (a sound head first,
// then the plan, then steps of planned sections), each line at most kJournalLineMax bytes and the
// whole at most kJournalMax. An installation whose journal would not fit is refused before it
// changes anything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/error.h"

namespace quo {

class AppContext;

inline constexpr std::size_t kJournalLineMax = 16 * 1024;  // a path of 4 096 bytes, twice, escaped
inline constexpr std::uint64_t kJournalMax = 64ULL << 20;  // 32 767 sections with real paths fit

// A journal this program did not write: refused by the files service (a link, another owner,
// open to others), a head that does not read, records out of their order, a line or a file past
// its cap, or (install/recovery) what it names.
class JournalRefused : public Error {
 public:
  using Error::Error;
};

struct JournalSection {
  int k = 0;
  std::string path, backup, kill, kind;
  bool registerComponent = false;
};

struct JournalHead {
  std::string from, to, root;
  std::vector<JournalSection> sections;
};

// What a journal holds, up to its first damaged line.
struct JournalState {
  JournalHead head;
  std::map<int, std::set<std::string>> steps;  // section -> the steps recorded for it
  bool committed = false;
  bool Has(int k, const std::string& step) const {
    const auto it = steps.find(k);
    return it != steps.end() && it->second.contains(step);
  }
};

class InstallJournal {
 public:
  explicit InstallJournal(AppContext& app);

  static std::string PathFor(const AppContext& app);
  // Writes the head (replacing any journal there) and makes it durable (throws).
  void Begin(const JournalHead& head);
  // Appends one record and makes it durable (throws): step is one of the step names above.
  void Step(const std::string& step, int k);
  void Commit();
  // Deletes the journal, durably; nothing when it is not there (throws).
  void Remove();
  bool Begun() const { return begun_; }

 private:
  void Append(const std::vector<std::string>& fields);

  AppContext& app_;
  std::string path_;
  bool begun_ = false;
};

// One record as the journal holds it: the escaped fields and the checksum, without the line end.
std::string JournalLine(const std::vector<std::string>& fields);

// The journal's content, up to its first damaged step record (a line cut short: nothing after it
// was made durable before it); nullopt when there is none. Throws JournalRefused.
std::optional<JournalState> ReadJournal(AppContext& app);

}  // namespace quo
