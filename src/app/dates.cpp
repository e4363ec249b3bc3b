#include "app/dates.h"

#include <cstdio>

#include "core/text.h"

namespace quo {

std::string FormatDate(const DateTime& t) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d %02d:%02d:%02d", t.day, t.month, t.year, t.hour,
                t.minute, t.second);
  return buf;
}

namespace {

// Reads exactly `digits` decimal digits at text[pos].
bool Number(const std::string& text, std::size_t& pos, int digits, int& out) {
  if (pos + digits > text.size()) return false;
  out = 0;
  for (int i = 0; i < digits; ++i) {
    const char c = text[pos + i];
    if (c < '0' || c > '9') return false;
    out = out * 10 + (c - '0');
  }
  pos += digits;
  return true;
}

bool Char(const std::string& text, std::size_t& pos, char c) {
  if (pos >= text.size() || text[pos] != c) return false;
  ++pos;
  return true;
}

bool Valid(const DateTime& t) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (t.year < 1 || t.month < 1 || t.month > 12 || t.day < 1) return false;
  const bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
  const int days = kDays[t.month - 1] + (t.month == 2 && leap ? 1 : 0);
  return t.day <= days && t.hour < 24 && t.minute < 60 && t.second < 60;
}

}  // namespace

std::optional<DateTime> ParseDate(const std::string& raw) {
  const std::string text = Trim(raw);
  DateTime t;
  std::size_t p = 0;
  const bool french = Number(text, p, 2, t.day) && Char(text, p, '/') &&
                      Number(text, p, 2, t.month) && Char(text, p, '/') &&
                      Number(text, p, 4, t.year);
  if (!french) {
    p = 0;
    t = DateTime{};
    if (!(Number(text, p, 4, t.year) && Char(text, p, '-') && Number(text, p, 2, t.month) &&
          Char(text, p, '-') && Number(text, p, 2, t.day)))
      return std::nullopt;
  }
  if (!(Char(text, p, ' ') && Number(text, p, 2, t.hour) && Char(text, p, ':') &&
        Number(text, p, 2, t.minute) && Char(text, p, ':') && Number(text, p, 2, t.second)))
    return std::nullopt;
  if (p != text.size() || !Valid(t)) return std::nullopt;
  return t;
}

long long DayNumber(const DateTime& t) {
  // Howard Hinnant's days_from_civil.
  const long long y = t.month <= 2 ? t.year - 1 : t.year;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long mp = (t.month + 9) % 12;
  const long long doy = (153 * mp + 2) / 5 + t.day - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

}  // namespace quo
