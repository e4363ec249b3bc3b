// The socket calls of the FTP client that differ between systems: curl's sockets are opened and
// closed through them, the session's end and the connection check use them directly.
#pragma once

#include <curl/curl.h>  // curl_socket_t (on Windows with Winsock, started by curl_global_init)

#if defined(_WIN32)
#include <ws2tcpip.h>
#else
#include <netdb.h>
#endif

#include <string>

namespace quo {

// A socket the programs this one starts do not inherit; CURL_SOCKET_BAD on failure.
curl_socket_t NewSocket(int family, int type, int protocol);
int DestroySocket(curl_socket_t socket);
// Sends QUIT on a control connection when sayQuit, never waiting, then shuts the connection
// both ways.
void QuitAndShut(curl_socket_t socket, bool sayQuit);
// "" when a connection to the address is made within timeoutMs, else the system's reason.
std::string ConnectWithin(const addrinfo& address, int timeoutMs);
// The system's words for a getaddrinfo failure.
std::string ResolveError(int code);

}  // namespace quo
