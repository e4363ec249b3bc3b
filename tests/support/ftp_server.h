// A real FTP server for tests and benchmarks: tests/support/ftp_server.py (pyftpdlib) run by
// /usr/bin/python3 on loopback, on an ephemeral port, serving one folder to one user. It is
// stopped by its process id when the object is destroyed.
//
//   quo::test::TempDir dir;
//   quo::test::FtpTestServer server({.root = dir.path(), .faults = {"retr-refused"}});
//   ftp.SetURL(server.address());   // "127.0.0.1:<port>"
//   ftp.SetUser("quo"); ftp.SetPass("secret");
//   ... count logins: occurrences of "\nLOGIN " in server.log()
//
// Faults are the server's options without the leading "--", a value after "=":
//   "greeting=421", "greeting=230", "no-greeting", "login-refused", "pwd-refused",
//   "retr-refused", "dele-refused", "drop-after=N", "abort-after=N" (426 after N bytes),
//   "stall-after=N", "unanswered=CMD", "idle-close=SECONDS", "nlst-file=PATH" (raw NLST answer),
//   "endless" (every RETR streams without end), "long-greeting=N" (first greeting line N bytes),
//   "endless-greeting" (continuation lines of a 220 reply that never ends).
// The log holds one line per command received (PASS masked), "CONNECT" per control connection
// and "LOGIN <user>" per accepted login.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace quo::test {

class FtpTestServer {
 public:
  struct Options {
    std::string root;  // served folder
    std::string user = "quo";
    std::string password = "secret";
    std::string host = "127.0.0.1";  // or "::1"
    std::vector<std::string> faults;
  };

  // Starts the server and waits for its port (throws std::runtime_error when it does not start).
  explicit FtpTestServer(const Options& options);
  ~FtpTestServer();
  FtpTestServer(const FtpTestServer&) = delete;
  FtpTestServer& operator=(const FtpTestServer&) = delete;

  int port() const { return port_; }
  // "127.0.0.1:port" or "[::1]:port".
  std::string address() const;
  // Commands received so far, one per line.
  std::string log() const;

 private:
  Options options_;
  std::string workDir_;  // log and error output, outside the served folder
  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace quo::test
