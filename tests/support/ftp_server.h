// A real FTP server for tests and benchmarks: tests/support/ftp_server.py (pyftpdlib) run by
// /usr/bin/python3 on loopback, on an ephemeral port, serving one folder to one user; killed
// when the object goes. Faults are the script's fault options without the leading "--"
// ("retr-refused", "unanswered=PWD"...; "" for none); the script describes them and the log.
#pragma once

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace quo::test {

class FtpTestServer {
 public:
  struct Options {
    std::string root;                // served folder, to user "quo" with password "secret"
    std::string host = "127.0.0.1";  // or "::1"
    std::vector<std::string> faults;
  };

  // Starts the server and waits for its port (throws std::runtime_error when it does not start).
  explicit FtpTestServer(const Options& options);
  ~FtpTestServer() { Stop(); }  // not copied: it owns a TempDir

  int port() const { return port_; }
  std::string address() const;  // "127.0.0.1:port" or "[::1]:port"
  std::string log() const { return ReadFile(work_ / "log.txt"); }
  // pyftpdlib's own log (its error output), one line per transfer: "RETR <path> completed=1
  // bytes=<sent by this transfer> seconds=...".
  std::string output() const { return ReadFile(work_ / "stderr.txt"); }

 private:
  void Stop();
  // The script and its options, with the paths the server sees.
  std::vector<std::string> Arguments(const std::string& root, const std::string& work) const;

  Options options_;
  TempDir work_;  // log and error output, outside the served folder
  long pid_ = -1;  // the server's process (on Windows: 1 while it runs; Wine cannot wait for it)
  int port_ = 0;
};

}  // namespace quo::test
