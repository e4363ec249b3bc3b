// What the FTP tests share: a test program with the real libcurl FTP service (short limits so
// faults end in about a second), a served folder, a download folder and the test server.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ftp/ftp_connection.h"
#include "platform/curl/curl_ftp_service.h"
#include "support/ftp_server.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"
#if defined(_WIN32)
#include "support/wine.h"
#endif

namespace quo::test {

struct FtpFixture {
  FtpFixture() {
    service.SetLimits({.connectTimeoutMs = 2000, .replyTimeoutSec = 1, .lowSpeedTimeSec = 1,
                       .maxFileBytes = 8 << 20});
    t.platform.ftp = &service;
  }

  // Serves files (path in root, content) with one of the server's fault options or none.
  FtpFixture& Serve(const std::vector<std::pair<std::string, std::string>>& files,
                    const std::string& fault = "", const std::string& host = "127.0.0.1") {
    for (const auto& [name, content] : files) {
      std::filesystem::create_directories(std::filesystem::path(root / name).parent_path());
      WriteFile(root / name, content);
    }
    server = std::make_unique<FtpTestServer>(
        FtpTestServer::Options{.root = root.path(), .host = host, .faults = {fault}});
    return *this;
  }
  // The fault that makes the server answer NLST with exactly these bytes.
  std::string Listing(const std::string& raw) {
    WriteFile(spare / "nlst", raw);
#if defined(_WIN32)
    return "nlst-file=" + UnixPath(spare / "nlst");  // the server runs on the Linux side
#else
    return "nlst-file=" + spare / "nlst";
#endif
  }
  // A link at path that a download must not write through (Wine has no symbolic links: there, a
  // second name of the file).
  static void Link(const std::string& target, const std::string& path) {
#if defined(_WIN32)
    std::filesystem::create_hard_link(target, path);
#else
    std::filesystem::create_symlink(target, path);
#endif
  }

  // A session on the server as the server's user, downloading into local; connected unless told.
  std::unique_ptr<FtpConnection> Session(bool connect = true) {
    auto ftp = std::make_unique<FtpConnection>(*t.app);
    ftp->SetURL(server->address());
    ftp->SetUser("quo");
    ftp->SetPass("secret");
    ftp->SetLocalDir(local.path());
    if (connect) ftp->Connect();
    return ftp;
  }

  int LogLines(const std::string& start) const {
    const std::string log = server->log();
    int n = 0;
    for (std::size_t at = 0; (at = log.find("\n" + start, at)) != std::string::npos; ++at) ++n;
    return n;
  }

  TestApp t;
  CurlFtpService service;
  TempDir root, local, spare;
  std::unique_ptr<FtpTestServer> server;
};

}  // namespace quo::test
