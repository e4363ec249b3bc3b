#include "platform/shared/curl_sockets.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

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

}  // namespace quo
