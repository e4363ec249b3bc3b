// The test FTP server itself: it starts on both loopback families, greets as configured and
// records what it receives, so the FTP tests can trust it.
#include "support/ftp_server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace quo::test {
namespace {

// Connects to the server, sends the lines and returns everything it answered until it closes
// or goes quiet for 300 ms.
std::string Talk(const FtpTestServer& server, bool v6, const std::vector<std::string>& lines) {
  const int fd = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM, 0);
  timeval tv{0, 300000};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  int rc;
  if (v6) {
    sockaddr_in6 a{};
    a.sin6_family = AF_INET6;
    a.sin6_port = htons(static_cast<uint16_t>(server.port()));
    a.sin6_addr = in6addr_loopback;
    rc = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  } else {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(server.port()));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    rc = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  }
  std::string got;
  if (rc == 0) {
    for (const auto& l : lines) {
      const std::string s = l + "\r\n";
      if (::send(fd, s.data(), s.size(), MSG_NOSIGNAL) < 0) break;
    }
    char buf[4096];
    for (ssize_t n; (n = ::recv(fd, buf, sizeof buf, 0)) > 0;) got.append(buf, n);
  }
  ::close(fd);
  return got;
}

TEST(FtpTestServer, GreetsLogsInAndRecordsCommandsOnBothFamilies) {
  for (const bool v6 : {false, true}) {
    TempDir root;
    FtpTestServer server({.root = root.path(), .host = v6 ? "::1" : "127.0.0.1"});
    EXPECT_EQ(server.address(), (v6 ? "[::1]:" : "127.0.0.1:") + std::to_string(server.port()));
    const std::string reply = Talk(server, v6, {"USER quo", "PASS secret", "PWD"});
    EXPECT_EQ(reply.substr(0, 4), "220 ");
    EXPECT_NE(reply.find("230 "), std::string::npos) << reply;
    EXPECT_NE(reply.find("257 \"/\""), std::string::npos) << reply;
    EXPECT_EQ(server.log(), "CONNECT\nUSER quo\nPASS ******\nLOGIN quo\nPWD\n");
  }
}

TEST(FtpTestServer, FaultsChangeTheAnswers) {
  struct Case {
    std::string fault;
    std::string start;     // start of the server's answers
    std::string contains;  // somewhere in them
  };
  const Case cases[] = {
      {"greeting=421", "421 ", "421 "},
      {"greeting=230", "230 Test", "331 "},
      {"no-greeting", "", ""},
      {"login-refused", "220 ", "530 "},
      {"pwd-refused", "220 ", "550 PWD"},
  };
  for (const auto& c : cases) {
    TempDir root;
    FtpTestServer server({.root = root.path(), .faults = {c.fault}});
    const std::string reply = Talk(server, false, {"USER quo", "PASS secret", "PWD"});
    EXPECT_EQ(reply.substr(0, c.start.size()), c.start) << c.fault;
    EXPECT_NE(reply.find(c.contains), std::string::npos) << c.fault << ": " << reply;
    if (c.fault == "no-greeting") {
      EXPECT_EQ(reply.find("220"), std::string::npos) << reply;
    }
  }
}

}  // namespace
}  // namespace quo::test
