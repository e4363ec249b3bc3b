// A server address as the settings give it: "host", "host:port", "[v6]" or "[v6]:port". A bare
// IPv6 address (more than one ":") is a host without port.
#pragma once

#include <optional>
#include <string>

namespace quo {

struct FtpAddress {
  std::string host;  // without brackets
  int port = 21;
};

// defaultPort applies when the text names none. nullopt when the text is malformed (empty host,
// unclosed bracket, port not a number from 1 to 65535).
std::optional<FtpAddress> ParseFtpAddress(const std::string& text, int defaultPort);

}  // namespace quo
