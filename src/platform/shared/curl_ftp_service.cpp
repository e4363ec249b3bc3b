#include <chrono>
#include <mutex>

#include "platform/shared/curl_ftp.h"
#include "platform/shared/curl_sockets.h"

namespace quo {

CurlFtpService::CurlFtpService() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::unique_ptr<FtpSession> CurlFtpService::NewSession(const FtpLogin& login) {
  return std::make_unique<CurlFtpSession>(login, limits_);
}

bool CurlFtpService::CheckConnection(const std::string& host, int port) {
  if (host.empty() || port < 1 || port > 65535) return false;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return false;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(limits_.connectTimeoutMs);
  bool ok = false;
  for (const addrinfo* a = found; a != nullptr && !ok; a = a->ai_next) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) break;
    ok = ConnectWithin(*a, static_cast<int>(left));
  }
  ::freeaddrinfo(found);
  return ok;
}

}  // namespace quo
