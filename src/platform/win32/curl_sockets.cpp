#include "platform/shared/curl_sockets.h"

namespace quo {

curl_socket_t NewSocket(int family, int type, int protocol) {
  return WSASocketW(family, type, protocol, nullptr, 0,
                    WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
}

int DestroySocket(curl_socket_t s) { return closesocket(s); }

void QuitAndShut(curl_socket_t s, bool sayQuit) {
  // curl's sockets are non-blocking: the send never waits.
  static const char kQuit[] = "QUIT\r\n";
  if (sayQuit) send(s, kQuit, sizeof kQuit - 1, 0);
  shutdown(s, SD_BOTH);
}

bool ConnectWithin(const addrinfo& a, int timeoutMs) {
  const SOCKET s = NewSocket(a.ai_family, a.ai_socktype, a.ai_protocol);
  if (s == INVALID_SOCKET) return false;
  u_long nonBlocking = 1;
  bool ok = ioctlsocket(s, FIONBIO, &nonBlocking) == 0;
  if (ok && connect(s, a.ai_addr, static_cast<int>(a.ai_addrlen)) != 0) {
    // A refused connection shows in the exception set (WSAPoll misses it on older systems).
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    int err = 0;
    int len = sizeof err;
    ok = WSAGetLastError() == WSAEWOULDBLOCK &&
         select(0, nullptr, &writable, &failed, &limit) > 0 && FD_ISSET(s, &writable) &&
         getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&err), &len) == 0 && err == 0;
  }
  closesocket(s);
  return ok;
}

}  // namespace quo
