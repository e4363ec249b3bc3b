#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <mutex>

#include "platform/shared/curl_ftp.h"

namespace quo {

CurlFtpService::CurlFtpService() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::unique_ptr<FtpSession> CurlFtpService::NewSession(const FtpLogin& login) {
  return std::make_unique<CurlFtpSession>(login, limits_);
}

namespace {

// Connects fd to the address within timeoutMs.
bool ConnectWithin(const addrinfo& a, int timeoutMs) {
  const int fd = ::socket(a.ai_family, a.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a.ai_protocol);
  if (fd < 0) return false;
  bool ok = ::connect(fd, a.ai_addr, a.ai_addrlen) == 0;
  if (!ok && errno == EINPROGRESS) {
    pollfd p{fd, POLLOUT, 0};
    int err = 0;
    socklen_t len = sizeof err;
    ok = ::poll(&p, 1, timeoutMs) == 1 && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) == 0 &&
         err == 0;
  }
  ::close(fd);
  return ok;
}

}  // namespace

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
