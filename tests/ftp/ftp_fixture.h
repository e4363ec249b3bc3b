// What the FTP tests share: a test program with the real libcurl FTP service (short limits so
// faults end in about a second), a served folder, a download folder and the test server.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ftp/sck_ftp.h"
#include "platform/posix/curl_ftp.h"
#include "support/ftp_server.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"

namespace quo::test {

struct FtpFixture {
  FtpFixture() {
    service.SetLimits({.connectTimeoutMs = 2000, .replyTimeoutSec = 1, .lowSpeedTimeSec = 1});
    t.platform.ftp = &service;
  }

  void Serve(std::vector<std::string> faults = {}, std::string host = "127.0.0.1") {
    server = std::make_unique<FtpTestServer>(
        FtpTestServer::Options{.root = root.path(), .host = host, .faults = faults});
  }

  // A session on the server, logged in as the server's user, downloading into local.
  std::unique_ptr<SckFtp> Session() {
    auto ftp = std::make_unique<SckFtp>(*t.app);
    ftp->SetURL(server->address());
    ftp->SetUser("quo");
    ftp->SetPass("secret");
    ftp->SetDossier(local.path());
    return ftp;
  }
  std::unique_ptr<SckFtp> Connected() {
    auto ftp = Session();
    ftp->Connect();
    return ftp;
  }

  int Logins() const {
    const std::string log = server->log();
    int n = 0;
    for (auto at = log.find("LOGIN "); at != std::string::npos; at = log.find("LOGIN ", at + 1))
      ++n;
    return n;
  }

  TestApp t;
  CurlFtpService service;
  TempDir root, local;
  std::unique_ptr<FtpTestServer> server;
};

}  // namespace quo::test
