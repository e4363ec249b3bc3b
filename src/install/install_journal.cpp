#include "install/install_journal.h"

#include <cstdint>
#include <cstdio>

#include "app/app_context.h"
#include "core/text.h"
#include "platform/files.h"

namespace quo {

namespace {

std::string Checksum(const std::string& text) {
  std::uint64_t h = 1469598103934665603ULL;  // FNV-1a
  for (const unsigned char c : text) h = (h ^ c) * 1099511628211ULL;
  char out[17];
  std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(h));
  return out;
}

std::string Escape(const std::string& field) {
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

std::string Line(const std::vector<std::string>& fields) {
  std::string payload;
  for (const std::string& f : fields) payload += (payload.empty() ? "" : "\t") + Escape(f);
  return payload + "\t" + Checksum(payload);
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

}  // namespace

InstallJournal::InstallJournal(AppContext& app) : app_(app), path_(PathFor(app)) {}

std::string InstallJournal::PathFor(const AppContext& app) { return app.JournalPath(); }

void InstallJournal::Begin(const JournalHead& head) {
  std::string text = Line({"head", head.from, head.to, head.root}) + "\r\n";
  for (const JournalSection& s : head.sections)
    text += Line({"plan", std::to_string(s.k), s.path, s.backup, s.kill, s.kind,
                  s.enregistrement ? "1" : "0"}) +
            "\r\n";
  Files& files = *app_.platform.files;
  files.WriteAtomic(path_, text);
  files.SyncDirectory(app_.programDir);
  begun_ = true;
}

void InstallJournal::Append(const std::vector<std::string>& fields) {
  Files& files = *app_.platform.files;
  files.AppendLine(path_, Line(fields));
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

std::optional<JournalState> ReadJournal(AppContext& app) {
  const auto text = app.platform.files->ReadAll(InstallJournal::PathFor(app));
  if (!text) return std::nullopt;
  JournalState state;
  bool head = false;
  for (const std::string& line : Split(*text, '\n')) {
    if (line.empty()) continue;
    const auto f = Fields(line);
    if (!f) break;  // a torn line: nothing after it was made durable before it
    const std::string& kind = (*f)[0];
    if (kind == "head" && f->size() == 4) {
      state.head.from = (*f)[1], state.head.to = (*f)[2], state.head.root = (*f)[3];
      head = true;
    } else if (kind == "plan" && f->size() == 7 && head) {
      state.head.sections.push_back(
          {WholeValue((*f)[1]), (*f)[2], (*f)[3], (*f)[4], (*f)[5], (*f)[6] == "1"});
    } else if (kind == "commit" && head) {
      state.committed = true;
    } else if (f->size() == 2 && head) {
      state.steps[WholeValue((*f)[1])].insert(kind);
    }
  }
  return state;
}

}  // namespace quo
