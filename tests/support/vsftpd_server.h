// A real FTP-over-TLS server for tests: Debian's /usr/sbin/vsftpd in the foreground with its own
// configuration on a free loopback port, serving one folder to "anonymous", never in clear. Its
// certificate is signed by an authority made with /usr/bin/openssl for it alone (ca()); otherCa()
// signed nothing. The server and its session processes are killed when the object goes.
#pragma once

#include <sys/types.h>

#include <string>

#include "support/temp_dir.h"

namespace quo::test {

class VsftpdServer {
 public:
  // Starts the server on root (a folder without blanks) and waits for its port (throws
  // std::runtime_error when it does not start).
  explicit VsftpdServer(const std::string& root);
  ~VsftpdServer() { Stop(); }  // not copied: it owns a TempDir

  std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
  std::string ca() const { return work_ / "ca.pem"; }
  std::string otherCa() const { return work_ / "other.pem"; }
  std::string log() const { return ReadFile(work_ / "log.txt"); }

 private:
  void Stop();

  TempDir work_;  // keys, certificates, configuration, log
  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace quo::test
