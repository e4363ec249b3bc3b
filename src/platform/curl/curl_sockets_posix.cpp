#include "platform/curl/curl_sockets.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quo {

curl_socket_t NewSocket(int family, int type, int protocol) {
  return ::socket(family, type | SOCK_CLOEXEC, protocol);
}

int DestroySocket(curl_socket_t s) { return ::close(s); }

void QuitAndShut(curl_socket_t s, bool sayQuit) {
  static const char kQuit[] = "QUIT\r\n";
  if (sayQuit) ::send(s, kQuit, sizeof kQuit - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
  ::shutdown(s, SHUT_RDWR);
}

std::string ConnectWithin(const addrinfo& a, int timeoutMs) {
  const int fd = ::socket(a.ai_family, a.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a.ai_protocol);
  if (fd < 0) return std::strerror(errno);
  int err = ::connect(fd, a.ai_addr, a.ai_addrlen) == 0 ? 0 : errno;
  if (err == EINPROGRESS) {
    pollfd p{fd, POLLOUT, 0};
    const int ready = ::poll(&p, 1, timeoutMs);
    socklen_t len = sizeof err;
    if (ready == 0) {
      err = ETIMEDOUT;
    } else if (ready < 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) {
      err = errno;
    }
  }
  ::close(fd);
  return err == 0 ? "" : std::strerror(err);
}

std::string ResolveError(int code) {
  // EAI_SYSTEM: the resolver's own words would only say "System error".
  return code == EAI_SYSTEM ? std::strerror(errno) : ::gai_strerror(code);
}

}  // namespace quo
