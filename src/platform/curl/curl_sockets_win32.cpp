#include "platform/curl/curl_sockets.h"

#include "platform/win32/wide.h"

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

std::string ConnectWithin(const addrinfo& a, int timeoutMs) {
  const SOCKET s = NewSocket(a.ai_family, a.ai_socktype, a.ai_protocol);
  if (s == INVALID_SOCKET) return win32::ErrorText(WSAGetLastError());
  u_long nonBlocking = 1;
  int err = ioctlsocket(s, FIONBIO, &nonBlocking) == 0 ? 0 : WSAGetLastError();
  bool connected = err == 0;
  if (connected && connect(s, a.ai_addr, static_cast<int>(a.ai_addrlen)) != 0) {
    err = WSAGetLastError();
    connected = false;
  }
  if (err == WSAEWOULDBLOCK) {
    // A refused connection shows in the exception set (WSAPoll misses it on older systems).
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int ready = select(0, nullptr, &writable, &failed, &limit);
    int len = sizeof err;
    if (ready == 0) {
      err = WSAETIMEDOUT;
    } else if (ready < 0 ||
               getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&err), &len) != 0) {
      err = WSAGetLastError();
    }
    connected = err == 0 && FD_ISSET(s, &writable);
  }
  closesocket(s);
  if (connected) return "";
  return err != 0 ? win32::ErrorText(static_cast<unsigned long>(err)) : "no connection";
}

std::string ResolveError(int code) { return win32::ErrorText(static_cast<unsigned long>(code)); }

}  // namespace quo
