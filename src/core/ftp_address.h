// A server address as the settings, the command line or the settings dialog give it: "host",
// "host:port", "[v6]" or "[v6]:port", or a bare IPv6 address (a host without port, as older
// settings may hold one).
#pragma once

#include <optional>
#include <string>

namespace quo {

inline constexpr int kFtpDefaultPort = 21;

struct FtpAddress {
  std::string host;  // without brackets
  int port = kFtpDefaultPort;
};

// defaultPort applies when the text names none. nullopt when the text is not an address: the
// host is neither a name (ASCII letters, digits, "-" and ".", which includes IPv4 addresses) nor
// an IPv6 address (groups of hexadecimal digits separated by ":", at most one "::", maybe ending
// in an IPv4 address), an IPv6 address with a port is not in brackets, or the port is not a
// number from 1 to 65535.
std::optional<FtpAddress> ParseFtpAddress(const std::string& text, int defaultPort);

// The text of an address, which ParseFtpAddress with the same defaultPort reads back as the same
// host and port: an IPv6 host in brackets, the port only when it is not defaultPort.
std::string FormatFtpAddress(const FtpAddress& address, int defaultPort);

}  // namespace quo
