#include <chrono>
#include <mutex>

#include "platform/curl/curl_ftp.h"
#include "platform/curl/curl_sockets.h"

namespace quo {

namespace {

// libcurl (and with it the system's sockets and TLS libraries) starts on first use: a run that
// never reaches the server does not pay for it.
void StartCurl() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

std::unique_ptr<FtpSession> CurlFtpService::NewSession(const FtpLogin& login) {
  StartCurl();
  return std::make_unique<CurlFtpSession>(login, limits_);
}

FtpResult CurlFtpService::CheckConnection(const std::string& host, int port) {
  StartCurl();
  const bool v6 = host.find(':') != std::string::npos;
  const std::string what = "connect " + (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
  if (host.empty() || port < 1 || port > 65535)
    return FtpResult::Fail(what + ": no such address", FtpFault::Network);
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* found = nullptr;
  if (const int rc = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
      rc != 0)
    return FtpResult::Fail(what + ": " + ResolveError(rc), FtpFault::Network);
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(limits_.connectTimeoutMs);
  // The name's addresses are tried in turn until one connects; the last one's reason is told.
  std::string why = "no address";
  for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) {
      why = "timed out";
      break;
    }
    why = ConnectWithin(*a, static_cast<int>(left));
    if (why.empty()) break;
  }
  ::freeaddrinfo(found);
  return why.empty() ? FtpResult::Ok() : FtpResult::Fail(what + ": " + why, FtpFault::Network);
}

}  // namespace quo
