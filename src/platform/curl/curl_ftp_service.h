// FTP client service over libcurl (sessions: platform/curl/curl_ftp.h). This header does not
// bring curl's, nor the <windows.h> that curl's brings on Windows.
#pragma once

#include <memory>
#include <string>

#include "platform/ftp_client.h"

namespace quo {

class CurlFtpService : public FtpService {
 public:
  FtpResult CheckConnection(const std::string& host, int port) override;
  std::unique_ptr<FtpSession> NewSession(const FtpLogin& login) override;
  void SetLimits(const FtpLimits& limits) override { limits_ = limits; }
  FtpLimits Limits() const override { return limits_; }

 private:
  FtpLimits limits_;
};

}  // namespace quo
