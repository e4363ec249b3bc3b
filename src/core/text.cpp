#include "core/text.h"

#include <cmath>
#include <limits>

namespace quo {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Windows-1252 code points for the bytes 0x80..0x9F; 0 where the code page has no character.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Length of the valid UTF-8 sequence starting at i, or 0 when the bytes there are not one.
std::size_t SequenceLength(std::string_view s, std::size_t i) {
  const auto b = static_cast<unsigned char>(s[i]);
  std::size_t len;
  char32_t min;
  if (b < 0x80) return 1;
  if ((b & 0xE0) == 0xC0) {
    len = 2;
    min = 0x80;
  } else if ((b & 0xF0) == 0xE0) {
    len = 3;
    min = 0x800;
  } else if ((b & 0xF8) == 0xF0) {
    len = 4;
    min = 0x10000;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  char32_t cp = b & (0x7F >> len);
  for (std::size_t k = 1; k < len; ++k) {
    const auto c = static_cast<unsigned char>(s[i + k]);
    if ((c & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (c & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

// Length of the character at i: a valid sequence, or a single byte when invalid.
std::size_t CharLength(std::string_view s, std::size_t i) {
  const std::size_t len = SequenceLength(s, i);
  return len == 0 ? 1 : len;
}

}  // namespace

double NumericValue(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  double value = 0;
  bool digits = false;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    value = value * 10 + (text[i] - '0');
    digits = true;
    ++i;
  }
  if (i < text.size() && text[i] == '.') {
    ++i;
    double scale = 0.1;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      value += (text[i] - '0') * scale;
      scale /= 10;
      digits = true;
      ++i;
    }
  }
  if (!digits || !std::isfinite(value)) return 0;
  return negative ? -value : value;
}

long long RoundHalfEven(double value) {
  if (!std::isfinite(value)) return 0;
  constexpr double kMax = 9.2e18;
  if (value >= kMax) return std::numeric_limits<long long>::max();
  if (value <= -kMax) return std::numeric_limits<long long>::min();
  return static_cast<long long>(std::nearbyint(value));  // default rounding: to nearest even
}

int WholeValue(std::string_view text) {
  const long long v = RoundHalfEven(NumericValue(text));
  if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

bool FlagValue(std::string_view text) { return NumericValue(text) > 0; }

std::vector<std::string> Split(std::string_view text, char sep) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (;;) {
    const std::size_t pos = text.find(sep, start);
    if (pos == std::string_view::npos) {
      out.emplace_back(text.substr(start));
      return out;
    }
    out.emplace_back(text.substr(start, pos - start));
    start = pos + 1;
  }
}

bool IsValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t len = SequenceLength(text, i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

std::string DecodeFileText(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (const char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b < 0x80) {
      out += ch;
    } else if (b < 0xA0) {
      const char16_t cp = kCp1252High[b - 0x80];
      AppendUtf8(out, cp == 0 ? char32_t{b} : char32_t{cp});
    } else {
      AppendUtf8(out, b);
    }
  }
  return out;
}

std::size_t Utf8Length(std::string_view text) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) ++n;
  return n;
}

std::string Utf8Left(std::string_view text, std::size_t n) {
  std::size_t i = 0;
  for (std::size_t k = 0; k < n && i < text.size(); ++k) i += CharLength(text, i);
  return std::string(text.substr(0, i));
}

std::string Utf8Mid(std::string_view text, std::size_t start) {
  return std::string(text.substr(Utf8Left(text, start).size()));
}

std::string PadRight(std::string_view text, std::size_t width) {
  std::string out(text);
  const std::size_t len = Utf8Length(text);
  if (len < width) out.append(width - len, ' ');
  return out;
}

std::string FoldCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b >= 'A' && b <= 'Z') {
      out += static_cast<char>(b + 32);
      ++i;
      continue;
    }
    // Latin-1 capitals U+00C0..U+00DE (except U+00D7) are C3 80..C3 9E in UTF-8.
    if (b == 0xC3 && i + 1 < text.size()) {
      const auto c = static_cast<unsigned char>(text[i + 1]);
      if (c >= 0x80 && c <= 0x9E && c != 0x97) {
        out += static_cast<char>(0xC3);
        out += static_cast<char>(c + 0x20);
        i += 2;
        continue;
      }
    }
    const std::size_t len = CharLength(text, i);
    out.append(text.substr(i, len));
    i += len;
  }
  return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) { return FoldCase(a) == FoldCase(b); }

std::string Trim(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  return std::string(text.substr(b, e - b));
}

namespace {
bool IsControlChar(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }
}  // namespace

bool HasControlChar(std::string_view text) {
  for (const char c : text)
    if (IsControlChar(c)) return true;
  return false;
}

std::string Printable(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (IsControlChar(c)) c = '?';
  return out;
}

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

bool StartsWith(std::string_view text, std::string_view head) {
  return text.substr(0, head.size()) == head;
}

bool IsVersionText(std::string_view v) {
  int parts = 1, digits = 0;
  for (const char c : v) {
    if (c == '.') {
      if (digits == 0 || ++parts > 3) return false;
      digits = 0;
    } else if (c < '0' || c > '9' || ++digits > 9) {
      return false;
    }
  }
  return parts == 3 && digits > 0;
}

}  // namespace quo
