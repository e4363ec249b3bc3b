#include "install/install_journal.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>

#include "app/app_context.h"
#include "core/text.h"
#include "install/target_dir.h"
#include "platform/files.h"

namespace quo {

namespace {

std::string Checksum(const std::string& text) {
  std::uint64_t h = 1469598103934665603ULL;  // FNV-1a
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  for (std::size_t i = 0; i < text.size(); ++i) h = (h ^ p[i]) * 1099511628211ULL;
  char out[17];
  std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(h));
  return out;
}

std::string Escape(const std::string& field) {
  if (field.find_first_of("\\\t\n\r") == std::string::npos) return field;
  std::string out;
  for (const char c : field) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Unescape(const std::string& field) {
  if (field.find('\\') == std::string::npos) return field;
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      out += field[i];
      continue;
    }
    const char c = field[++i];
    out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
  }
  return out;
}

// The fields of a sound line; nullopt for a damaged one.
std::optional<std::vector<std::string>> Fields(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  const auto tab = line.rfind('\t');
  if (tab == std::string::npos || Checksum(line.substr(0, tab)) != line.substr(tab + 1))
    return std::nullopt;
  std::vector<std::string> fields;
  for (const std::string& f : Split(line.substr(0, tab), '\t')) fields.push_back(Unescape(f));
  return fields;
}

// What the journal names must be what an installation into its own product folder writes: its
// files where the destination rules allow, each backup the one made beside its file.
void CheckNames(AppContext& app, const JournalHead& head) {
  if (!IsVersionText(head.to)) throw JournalRefused("not a version: " + head.to);
  if (!app.platform.files->IsAbsolutePath(head.root))
    throw JournalRefused("not a product folder: " + head.root);
  // The installation writes the folder as it was given, and its paths after a "/" (InstallRoot).
  const std::string root = head.root.back() == '/' ? head.root : head.root + "/";
  try {
    for (const JournalSection& s : head.sections) {
      const std::string dir = CheckTargetPath(app, root, s.path);
      if (!s.backup.empty() && s.backup != BackupName(dir, s.path.substr(dir.size())))
        throw JournalRefused("not the backup of " + s.path + ": " + s.backup);
      if (!s.backup.empty() && app.platform.files->IsLink(s.backup))
        throw JournalRefused("a link: " + s.backup);
    }
  } catch (const JournalRefused&) {
    throw;
  } catch (const Error& e) {
    throw JournalRefused(e.what());
  }
}

}  // namespace

std::string JournalLine(const std::vector<std::string>& fields) {
  std::string payload;
  for (const std::string& f : fields) payload += (payload.empty() ? "" : "\t") + Escape(f);
  return payload + "\t" + Checksum(payload);
}

InstallJournal::InstallJournal(AppContext& app) : app_(app), path_(PathFor(app)) {}

std::string InstallJournal::PathFor(const AppContext& app) { return app.JournalPath(); }

void InstallJournal::Begin(const JournalHead& head) {
  // Nothing is begun that could not be read back: the next start would set it aside.
  CheckNames(app_, head);
  std::vector<std::string> lines{JournalLine({"head", head.from, head.to, head.root})};
  for (const JournalSection& s : head.sections)
    lines.push_back(JournalLine({"plan", std::to_string(s.k), s.path, s.backup, s.kill, s.kind,
                                 s.registerComponent ? "1" : "0"}));
  // The step records of every section, at their longest, must fit too.
  std::uint64_t size = lines.size() * 2 + head.sections.size() * 5 * 32 + 32;
  std::string text;
  for (const std::string& line : lines) {
    if (line.size() + 2 > kJournalLineMax) throw Error("Path too long for the journal");
    size += line.size();
    text += line + "\r\n";
  }
  if (size > kJournalMax) throw Error("Too many files for the journal");
  Files& files = *app_.platform.files;
  files.WritePrivate(path_, text);
  files.SyncDirectory(app_.programDir);
  begun_ = true;
}

void InstallJournal::Append(const std::vector<std::string>& fields) {
  Files& files = *app_.platform.files;
  files.AppendLine(path_, JournalLine(fields));
  files.SyncFile(path_);
}

void InstallJournal::Step(const std::string& step, int k) { Append({step, std::to_string(k)}); }

void InstallJournal::Commit() { Append({"commit"}); }

void InstallJournal::Remove() {
  Files& files = *app_.platform.files;
  if (files.IsOrdinaryFile(path_)) files.Remove(path_);
  files.SyncDirectory(app_.programDir);
  begun_ = false;
}

namespace {

const std::set<std::string> kSteps = {"start", "unregister", "backup", "copy", "register"};

// Reads the journal line by line, as this program writes it.
class JournalParser {
 public:
  // False once a damaged line ends what can be trusted.
  bool Take(const std::string& line) {
    const auto f = Fields(line);
    if (!f) return false;  // a torn line: nothing after it was made durable before it
    const std::string& kind = (*f)[0];
    if (!head_) {
      if (kind != "head" || f->size() != 4) throw JournalRefused("damaged head");
      state.head.from = (*f)[1], state.head.to = (*f)[2], state.head.root = (*f)[3];
      head_ = true;
    } else if (kind == "plan" && f->size() == 7 && !stepped_) {
      const int k = Section((*f)[1]);
      if (planned_.contains(k))
        throw JournalRefused("section " + std::to_string(k) + " planned twice");
      planned_.insert(k);
      state.head.sections.push_back({k, (*f)[2], (*f)[3], (*f)[4], (*f)[5], (*f)[6] == "1"});
    } else if (kind == "commit" && f->size() == 1 && !state.committed) {
      state.committed = stepped_ = true;
    } else if (kSteps.contains(kind) && f->size() == 2 && !state.committed) {
      const int k = Section((*f)[1]);
      if (!planned_.contains(k))
        throw JournalRefused("a step of section " + std::to_string(k) + ", not planned");
      state.steps[k].insert(kind);
      stepped_ = true;
    } else {
      throw JournalRefused("a record out of place");
    }
    return true;
  }
  bool HasHead() const { return head_; }

  JournalState state;

 private:
  static int Section(const std::string& text) {
    const int k = text.size() <= 5 && IsDigits(text) ? static_cast<int>(WholeValue(text)) : 0;
    if (k < 1 || k > 32767) throw JournalRefused("a section number out of range");
    return k;
  }
  static bool IsDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
  }

  bool head_ = false, stepped_ = false;
  std::set<int> planned_;
};

}  // namespace

std::optional<JournalState> ReadJournal(AppContext& app) {
  std::unique_ptr<Files::Reader> reader;
  try {
    reader = app.platform.files->OpenPrivate(InstallJournal::PathFor(app));
  } catch (const JournalRefused&) {
    throw;
  } catch (const std::exception& e) {
    throw JournalRefused(e.what());
  }
  if (!reader) return std::nullopt;
  JournalParser parser;
  std::string line, buffer(64 * 1024, '\0');
  std::uint64_t total = 0;
  bool reading = true;
  while (reading) {
    const std::size_t n = reader->Read(buffer.data(), buffer.size());
    total += n;
    if (total > kJournalMax)
      throw JournalRefused("larger than " + std::to_string(kJournalMax >> 20) + " MiB");
    if (n == 0) break;
    for (std::size_t i = 0; i < n && reading;) {
      const auto* end = static_cast<const char*>(std::memchr(buffer.data() + i, '\n', n - i));
      const std::size_t stop = end != nullptr ? static_cast<std::size_t>(end - buffer.data()) : n;
      line.append(buffer, i, stop - i);
      if (line.size() > kJournalLineMax)
        throw JournalRefused("a line longer than " + std::to_string(kJournalLineMax) + " bytes");
      i = stop + 1;
      if (end == nullptr) continue;
      if (!line.empty()) reading = parser.Take(line);
      line.clear();
    }
  }
  if (reading && !line.empty()) parser.Take(line);  // the last line, cut short or not
  if (!parser.HasHead()) throw JournalRefused("damaged head");
  CheckNames(app, parser.state.head);
  return std::move(parser.state);
}

}  // namespace quo
