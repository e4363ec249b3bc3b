// One download by the Windows build's FTP session (FtpConnection over the cross-built libcurl),
// hashed as it arrives like a verified package, for bench/wine_download, which times it under Wine
// against curl for Linux on the same server.
// Usage: bench_download.exe <host:port> <file> <local folder> <size in bytes> <sha-256 hex | ->
// ("-": not hashed, a plain download)
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/base64.h"
#include "ftp/ftp_connection.h"
#include "platform/curl/curl_ftp_service.h"
#include "support/test_platform.h"

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: %s host:port file folder bytes sha256\n", argv[0]);
    return 2;
  }
  quo::test::TestApp t;
  quo::CurlFtpService service;
  t.platform.ftp = &service;
  quo::FtpConnection ftp(*t.app);
  ftp.SetURL(argv[1]);
  ftp.SetUser("quo");
  ftp.SetPass("secret");
  ftp.SetLocalDir(argv[3]);
  ftp.Connect();
  const bool hashed = std::string(argv[5]) != "-";
  const auto sha = hashed ? t.crypto.NewSha256() : nullptr;
  const quo::DownloadCheck check{std::atoll(argv[4]), false, sha.get()};
  const bool got = ftp.Connected() && ftp.DownloadFile(argv[2], check).ok;
  ftp.Disconnect();
  quo::Sha256Digest d{};
  if (hashed) d = sha->Final();
  const bool same = !hashed || quo::HexEncode(std::string(d.begin(), d.end())) == argv[5];
  if (!got || !same) std::fprintf(stderr, "download %s\n", got ? "digest differs" : "failed");
  return got && same ? 0 : 1;
}
