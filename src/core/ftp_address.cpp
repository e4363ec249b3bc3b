#include "core/ftp_address.h"

#include <string_view>

namespace quo {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHex(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

std::optional<int> PortOf(std::string_view digits) {
  if (digits.empty() || digits.size() > 5) return std::nullopt;
  int port = 0;
  for (const char c : digits) {
    if (!IsDigit(c)) return std::nullopt;
    port = port * 10 + (c - '0');
  }
  if (port < 1 || port > 65535) return std::nullopt;
  return port;
}

// A host name or an IPv4 address: ASCII letters, digits, "-" and ".".
bool IsName(std::string_view s) {
  for (const char c : s)
    if (!IsDigit(c) && !(c >= 'a' && c <= 'z') && !(c >= 'A' && c <= 'Z') && c != '-' && c != '.')
      return false;
  return !s.empty();
}

// Four decimal numbers from 0 to 255 separated by ".".
bool IsIpv4(std::string_view s) {
  int parts = 0;
  for (std::size_t i = 0; i <= s.size(); ++parts) {
    std::size_t j = i;
    int value = 0;
    while (j < s.size() && IsDigit(s[j]) && j - i < 3) value = value * 10 + (s[j++] - '0');
    if (j == i || value > 255 || (j < s.size() && s[j] != '.')) return false;
    i = j + 1;
  }
  return parts == 4;
}

// Eight groups of 1 to 4 hexadecimal digits separated by ":", or fewer with one "::" standing
// for the others; the last two groups may be written as an IPv4 address.
bool IsIpv6(std::string_view s) {
  int groups = 0;
  bool gap = false;
  std::size_t i = 0;
  if (s.starts_with("::")) gap = true, i = 2;
  while (i < s.size()) {
    std::size_t j = i;
    while (j < s.size() && IsHex(s[j])) ++j;
    if (j < s.size() && s[j] == '.') {
      if (!IsIpv4(s.substr(i))) return false;
      groups += 2;
      break;
    }
    if (j == i || j - i > 4) return false;
    ++groups;
    if (j == s.size()) break;
    if (s[j] != ':' || j + 1 == s.size()) return false;  // a single ":" ends nothing
    i = j + 1;
    if (s[i] == ':') {
      if (gap) return false;
      gap = true, ++i;
    }
  }
  return gap ? groups < 8 : groups == 8;
}

}  // namespace

std::optional<FtpAddress> ParseFtpAddress(const std::string& text, int defaultPort) {
  FtpAddress a;
  a.port = defaultPort;
  std::string_view rest;
  if (!text.empty() && text[0] == '[') {
    const auto close = text.find(']');
    if (close == std::string::npos) return std::nullopt;
    a.host = text.substr(1, close - 1);
    if (!IsIpv6(a.host)) return std::nullopt;
    rest = std::string_view(text).substr(close + 1);
    if (!rest.empty() && rest[0] != ':') return std::nullopt;
  } else if (text.find(':') != text.rfind(':')) {
    if (!IsIpv6(text)) return std::nullopt;  // a bare IPv6 address: no port
    a.host = text;
  } else {
    const auto colon = text.find(':');
    a.host = text.substr(0, colon);
    if (!IsName(a.host)) return std::nullopt;
    if (colon != std::string::npos) rest = std::string_view(text).substr(colon);
  }
  if (!rest.empty()) {
    const auto port = PortOf(rest.substr(1));
    if (!port) return std::nullopt;
    a.port = *port;
  }
  return a;
}

std::string FormatFtpAddress(const FtpAddress& address, int defaultPort) {
  std::string text = address.host;
  if (text.find(':') != std::string::npos) text = "[" + text + "]";
  if (address.port != defaultPort) text += ":" + std::to_string(address.port);
  return text;
}

}  // namespace quo
