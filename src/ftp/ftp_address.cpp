#include "ftp/ftp_address.h"

namespace quo {

namespace {

std::optional<int> PortOf(const std::string& digits) {
  if (digits.empty() || digits.size() > 5) return std::nullopt;
  int port = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    port = port * 10 + (c - '0');
  }
  if (port < 1 || port > 65535) return std::nullopt;
  return port;
}

}  // namespace

std::optional<FtpAddress> ParseFtpAddress(const std::string& text, int defaultPort) {
  FtpAddress a;
  a.port = defaultPort;
  std::string rest;
  if (!text.empty() && text[0] == '[') {
    const auto close = text.find(']');
    if (close == std::string::npos) return std::nullopt;
    a.host = text.substr(1, close - 1);
    rest = text.substr(close + 1);
    if (!rest.empty() && rest[0] != ':') return std::nullopt;
  } else if (text.find(':') != text.rfind(':')) {
    a.host = text;  // bare IPv6
  } else {
    const auto colon = text.find(':');
    a.host = text.substr(0, colon);
    if (colon != std::string::npos) rest = text.substr(colon);
  }
  if (!rest.empty()) {
    const auto port = PortOf(rest.substr(1));
    if (!port) return std::nullopt;
    a.port = *port;
  }
  if (a.host.empty()) return std::nullopt;
  for (const unsigned char c : a.host) {
    if (c <= ' ' || c == '/' || c == '@' || c == 0x7f) return std::nullopt;
  }
  return a;
}

}  // namespace quo
