#include "platform/ini/ini_profile.h"

#include <optional>

#include "core/error.h"
#include "core/text.h"

namespace quo {

namespace ini {

namespace {

// UTF-8 text in Windows-1252; nullopt when a character has no place there. Bytes that are not
// UTF-8 are taken as already in the code page.
std::optional<std::string> ToCp1252(const std::string& utf8) {
  static const char16_t kHigh[32] = {
      0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  if (!IsValidUtf8(utf8)) return utf8;  // bytes already in the file's code page
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    char32_t cp;
    std::size_t len;
    if (b < 0x80) {
      cp = b;
      len = 1;
    } else if ((b & 0xE0) == 0xC0 && i + 1 < utf8.size()) {
      cp = ((b & 0x1F) << 6) | (utf8[i + 1] & 0x3F);
      len = 2;
    } else if ((b & 0xF0) == 0xE0 && i + 2 < utf8.size()) {
      cp = ((b & 0x0F) << 12) | ((utf8[i + 1] & 0x3F) << 6) | (utf8[i + 2] & 0x3F);
      len = 3;
    } else {
      return std::nullopt;
    }
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
      out += static_cast<char>(cp);
    } else {
      int found = -1;
      for (int k = 0; k < 32; ++k)
        if (kHigh[k] != 0 && kHigh[k] == cp) found = k;
      if (found < 0) return std::nullopt;
      out += static_cast<char>(0x80 + found);
    }
    i += len;
  }
  return out;
}

std::string StripLineEnd(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::string OneLine(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if (c == '\r' || c == '\n') c = ' ';
  return out;
}

}  // namespace

std::string CleanValue(const std::string& raw) {
  std::string v = Trim(raw);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  return v;
}

Line ParseLine(const std::string& decodedLine) {
  Line line;
  const std::string t = Trim(decodedLine);
  if (t.empty() || t[0] == ';') return line;
  if (t[0] == '[') {
    const auto close = t.find(']');
    line.kind = Line::Section;
    line.name = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return line;
  }
  const auto eq = t.find('=');
  if (eq == std::string::npos) return line;
  line.kind = Line::Key;
  line.name = Trim(t.substr(0, eq));
  line.value = CleanValue(t.substr(eq + 1));
  return line;
}

std::string ApplySet(const std::string& original, const std::string& section,
                     const std::string& key, const std::string& value) {
  std::string bytes = original;
  bool utf8 = IsValidUtf8(bytes);
  const std::string eol = bytes.find("\r\n") != std::string::npos || bytes.empty() ? "\r\n" : "\n";
  const std::string sectionName = OneLine(section), keyName = OneLine(key);
  std::string entry = keyName + "=" + OneLine(value);
  std::string header = "[" + sectionName + "]";
  if (!utf8) {
    const auto e = ToCp1252(entry), h = ToCp1252(header);
    if (e && h) {
      entry = *e, header = *h;
    } else {
      // Text the file's code page cannot hold: the file moves to UTF-8, every character kept.
      bytes = DecodeFileText(bytes);
      utf8 = true;
    }
  }
  const std::string wantSection = FoldCase(sectionName), wantKey = FoldCase(keyName);

  bool inSection = false;
  std::size_t insertAt = std::string::npos;  // end of the section's last non-blank line
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find('\n', pos);
    const std::size_t next = end == std::string::npos ? bytes.size() : end + 1;
    if (end == std::string::npos) end = bytes.size();
    const std::string raw = StripLineEnd(bytes.substr(pos, end - pos));
    const Line line = ParseLine(utf8 ? raw : DecodeFileText(raw));
    if (line.kind == Line::Section) {
      if (inSection) break;
      inSection = FoldCase(line.name) == wantSection;
      if (inSection) insertAt = next;
    } else if (inSection) {
      if (line.kind == Line::Key && FoldCase(line.name) == wantKey) {
        const std::size_t contentEnd = pos + raw.size();
        return bytes.substr(0, pos) + entry + bytes.substr(contentEnd);
      }
      if (!Trim(raw).empty()) insertAt = next;
    }
    pos = next;
  }
  if (insertAt != std::string::npos) {
    std::string before = bytes.substr(0, insertAt);
    if (!before.empty() && before.back() != '\n') before += eol;
    return before + entry + eol + bytes.substr(insertAt);
  }
  std::string out = bytes;
  if (!out.empty() && out.back() != '\n') out += eol;
  return out + header + eol + entry + eol;
}

}  // namespace ini

namespace {

// Calls f with each line of text (its CR LF or LF end removed), parsed, until f returns false.
template <typename F>
void ForEachLine(const std::string& text, F f) {
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string raw = text.substr(pos, end - pos);
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    pos = end + 1;
    if (!f(ini::ParseLine(raw))) return;
  }
}

}  // namespace

const IniProfile::Parsed* IniProfile::Load(const std::string& file) {
  const auto stamp = files_.Stamp(file);
  if (!stamp) {
    cache_.erase(file);
    return nullptr;
  }
  auto it = cache_.find(file);
  if (it != cache_.end() && it->second.stamp == *stamp) return &it->second;

  const auto bytes = files_.ReadAll(file);
  if (!bytes) return nullptr;
  if (cache_.size() > 16) cache_.clear();
  Parsed& p = cache_[file];
  p = Parsed{*stamp, {}};
  std::map<std::string, std::string>* current = nullptr;
  bool duplicateSection = false;
  ForEachLine(DecodeFileText(*bytes), [&](const ini::Line& line) {
    if (line.kind == ini::Line::Section && line.name.empty()) {
      current = nullptr;  // "[]" names no section: its keys belong to none
    } else if (line.kind == ini::Line::Section) {
      const std::string name = FoldCase(line.name);
      duplicateSection = p.sections.count(name) != 0;
      current = &p.sections[name];
    } else if (line.kind == ini::Line::Key && current != nullptr && !duplicateSection) {
      current->emplace(FoldCase(line.name), line.value);  // the first of duplicate keys wins
    }
    return true;
  });
  return &p;
}

std::string IniProfile::Get(const std::string& file, const std::string& section,
                            const std::string& key, std::size_t maxChars) {
  const Parsed* p = Load(file);
  if (p == nullptr) return "";
  const auto s = p->sections.find(FoldCase(section));
  if (s == p->sections.end()) return "";
  const auto k = s->second.find(FoldCase(key));
  if (k == s->second.end()) return "";
  return Utf8Left(k->second, maxChars);
}

std::string IniProfile::GetUncached(const std::string& file, const std::string& section,
                                    const std::string& key, std::size_t maxChars) {
  auto bytes = files_.ReadAll(file);
  if (!bytes) return "";
  // The bytes themselves when they are UTF-8, else their decoded copy alone.
  const std::string text = IsValidUtf8(*bytes) ? std::move(*bytes) : DecodeFileText(*bytes);
  bytes.reset();
  const std::string wantSection = FoldCase(section), wantKey = FoldCase(key);
  bool inSection = false;
  std::string value;
  ForEachLine(text, [&](const ini::Line& line) {
    if (line.kind == ini::Line::Section) {
      if (inSection) return false;  // the first section of the name is the one read, as in Get
      inSection = !line.name.empty() && FoldCase(line.name) == wantSection;  // "[]" is none
    } else if (inSection && line.kind == ini::Line::Key && FoldCase(line.name) == wantKey) {
      value = Utf8Left(line.value, maxChars);
      return false;
    }
    return true;
  });
  return value;
}

bool IniProfile::Set(const std::string& file, const std::string& section, const std::string& key,
                     const std::string& value) {
  const auto old = files_.ReadAll(file);
  if (!old && files_.NameExists(file)) return false;  // there but unreadable: keep it
  try {
    files_.WriteAtomic(file, ini::ApplySet(old.value_or(""), section, key, value));
  } catch (const Error&) {
    return false;
  }
  cache_.erase(file);
  return true;
}

}  // namespace quo
