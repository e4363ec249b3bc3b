// FTP client service over libcurl: one multi handle and one easy handle per session, so the
// control connection stays in the session's own connection cache and is reused by every
// request (one login). Requests run in a multi loop that calls the progress function every
// 25 ms whatever the transfer does, from the loop or from inside curl's write callback.
#pragma once

#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/ftp_client.h"
#include "platform/curl/curl_ftp_service.h"

namespace quo {

class CurlFtpSession : public FtpSession {
 public:
  CurlFtpSession(const FtpLogin& login, const FtpLimits& limits);
  ~CurlFtpSession() override;

  OpenReplies Open() override;
  void Close() override;
  FtpResult ChangeDirectory(const std::string& newDir) override;
  std::string CurrentDirectory() const override { return cwd_; }
  FtpResult List(std::vector<std::string>& names) override;
  FtpResult Download(const std::string& name, const std::string& localPath,
                     const DownloadCheck& check) override;
  void SetProgress(FtpProgress progress) override { progress_ = std::move(progress); }

  // One command sent and the final line of its reply ("" when none came). The greeting of a new
  // connection is an exchange without command.
  struct Exchange {
    std::string command, reply;
  };

 private:
  struct Request;
  struct Sink;
  void Drop();
  static curl_socket_t OpenSocket(void* self, curlsocktype, curl_sockaddr* address);
  static int CloseSocket(void* self, curl_socket_t socket);
  CURLcode Run(const Request& request, bool fresh);
  CURLcode RunWithRetry(const Request& request);
  bool TooSlow(std::int64_t bytes, std::chrono::steady_clock::duration spent) const;
  // Calls the progress function when its time has come; false when it asks to abandon.
  bool PumpIfDue(std::int64_t done);
  FtpResult Outcome(CURLcode rc, const std::string& what) const;
  const Exchange* LastExchange(const std::string& command) const;
  void OnHeader(bool incoming, const char* data, size_t size);
  static int DebugCallback(CURL*, curl_infotype type, char* data, size_t size, void* self);

  FtpLogin login_;
  FtpLimits limits_;
  FtpProgress progress_;
  CURLM* multi_ = nullptr;
  CURL* easy_ = nullptr;
  std::string cwd_;
  std::set<curl_socket_t> sockets_;  // open sockets of the session's connections
  std::vector<Exchange> exchanges_;  // of the running request
  std::string lineIn_;               // incoming reply line being assembled
  bool abandoned_ = false, stalled_ = false, slow_ = false;
  std::chrono::steady_clock::time_point lastPump_;
  char errorBuffer_[CURL_ERROR_SIZE] = {};
};

}  // namespace quo
