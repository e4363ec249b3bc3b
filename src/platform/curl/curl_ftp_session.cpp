// The FTP commands of a session: open, close, change directory, list, download.
#include <algorithm>
#include <cstdio>

#include "core/text.h"
#include "platform/curl/curl_ftp.h"
#include "platform/curl/curl_ftp_request.h"
#include "platform/curl/curl_sockets.h"
#include "platform/curl/part_file.h"

namespace quo {

namespace {

constexpr size_t kMaxListingBytes = 64u << 20;

// The directory of a 257 reply: the text between the first quote and the next single quote,
// with "" standing for one quote. Empty when the reply holds no quoted path.
std::string PathOf257(const std::string& reply) {
  if (reply.rfind("257", 0) != 0) return "";
  const auto open = reply.find('"');
  if (open == std::string::npos) return "";
  std::string path;
  for (size_t i = open + 1; i < reply.size(); ++i) {
    if (reply[i] != '"') {
      path += reply[i];
    } else if (i + 1 < reply.size() && reply[i + 1] == '"') {
      path += '"';
      ++i;
    } else {
      return path;
    }
  }
  return "";  // no closing quote
}

}  // namespace

CurlFtpSession::CurlFtpSession(const FtpLogin& login, const FtpLimits& limits)
    : login_(login), limits_(limits) {
  multi_ = curl_multi_init();
  easy_ = curl_easy_init();
  curl_multi_setopt(multi_, CURLMOPT_MAXCONNECTS, 1L);
}

CurlFtpSession::~CurlFtpSession() { Drop(); }

void CurlFtpSession::Drop() {
  // curl would send QUIT and wait for its reply up to the reply timeout, with no window events
  // meanwhile: say QUIT ourselves and shut the control connection (the only socket left open
  // between requests), so curl's own QUIT fails at once.
  // A protected connection gets no clear text: shutting it is enough.
  for (const curl_socket_t s : sockets_) QuitAndShut(s, !login_.tls);
  curl_easy_cleanup(easy_);
  curl_multi_cleanup(multi_);
}

void CurlFtpSession::Close() {
  Drop();
  multi_ = curl_multi_init();
  easy_ = curl_easy_init();
  curl_multi_setopt(multi_, CURLMOPT_MAXCONNECTS, 1L);
}

FtpSession::OpenReplies CurlFtpSession::Open() {
  OpenReplies replies;
  const CURLcode rc = Run(Request{}, true);
  if (!exchanges_.empty() && exchanges_.front().command.empty()) {
    replies.greeting = exchanges_.front().reply;
  }
  if (const Exchange* pwd = LastExchange("PWD")) replies.pwd = pwd->reply;
  cwd_ = PathOf257(replies.pwd);
  replies.result = Outcome(rc, "login");
  return replies;
}

FtpResult CurlFtpSession::ChangeDirectory(const std::string& newDir) {
  const std::string what = "CWD " + newDir;
  if (newDir.empty() || HasControlChar(newDir)) return FtpResult::Fail(what + ": invalid name", FtpFault::Local);
  Request r;
  if (!cwd_.empty()) r.quote.push_back("CWD " + cwd_);
  r.quote.push_back("*CWD " + newDir);
  r.quote.push_back("PWD");
  const CURLcode rc = RunWithRetry(r);
  if (rc != CURLE_OK) return Outcome(rc, what);
  const Exchange* cwd = LastExchange("CWD " + newDir);
  if (cwd == nullptr || cwd->reply.empty() || cwd->reply[0] != '2') {
    const std::string reply = cwd ? cwd->reply : "";
    return FtpResult::Fail(what + " (" + reply + ")", FaultOfReply(reply));
  }
  const Exchange* pwd = LastExchange("PWD");
  const std::string path = pwd ? PathOf257(pwd->reply) : "";
  if (path.empty()) {
    return FtpResult::Fail(what + ": no current directory (" + (pwd ? pwd->reply : "") + ")",
                           FtpFault::Refused);
  }
  cwd_ = path;
  return FtpResult::Ok();
}

FtpResult CurlFtpSession::List(std::vector<std::string>& names) {
  names.clear();
  std::string text;
  Sink sink;
  sink.text = &text;
  sink.max = kMaxListingBytes;
  Request r;
  r.nobody = false;
  r.listOnly = true;
  r.sink = &sink;
  if (!cwd_.empty()) r.quote.push_back("CWD " + cwd_);
  const CURLcode rc = RunWithRetry(r);
  if (rc != CURLE_OK) return Outcome(rc, sink.tooBig ? "NLST: listing too large" : "NLST");
  // Names end with CR LF; a server that sends bare LF is accepted too.
  const std::string sep = text.find('\r') == std::string::npos ? "\n" : "\r\n";
  for (size_t start = 0; start < text.size();) {
    auto end = text.find(sep, start);
    if (end == std::string::npos) end = text.size();
    std::string name = text.substr(start, end - start);
    if (!name.empty() && name != "." && name != "..") names.push_back(std::move(name));
    start = end + sep.size();
  }
  return FtpResult::Ok();
}

FtpResult CurlFtpSession::Download(const std::string& name, const std::string& localPath,
                                   const DownloadCheck& check) {
  const std::string what = "RETR " + name;
  if (name.empty() || HasControlChar(name)) return FtpResult::Fail(what + ": invalid name", FtpFault::Local);
  const std::string part = localPath + ".part";
  Sink sink;
  // What an earlier attempt left is continued only when it may be (see OpenPartFile).
  sink.file = OpenPartFile(part, check.resume, check.size, sink.offset);
  sink.max = check.size >= 0   ? std::min(check.size, limits_.maxFileBytes)
             : check.limit >= 0 ? std::min(check.limit, limits_.maxFileBytes)
                                : limits_.maxFileBytes;
  sink.hash = check.hash;
  if (sink.file == nullptr) return FtpResult::Fail(what + ": cannot write " + part, FtpFault::Local);
  char* escaped = curl_easy_escape(easy_, name.c_str(), static_cast<int>(name.size()));
  Request r;
  r.path = escaped;
  curl_free(escaped);
  r.nobody = false;
  r.sink = &sink;
  r.resumeFrom = sink.offset;
  r.maxFileSize = sink.max;
  if (!cwd_.empty()) r.quote.push_back("CWD " + cwd_);
  CURLcode rc = CURLE_OK;
  if (sink.offset > 0 && sink.offset == check.size) {
    sink.Restart();  // an earlier attempt got it all: only its hash is left to take
  } else {
    rc = RunWithRetry(r);
    // A server that cannot continue the file sends it again from its start.
    if (sink.offset > 0 && (rc == CURLE_FTP_COULDNT_USE_REST || rc == CURLE_BAD_DOWNLOAD_RESUME ||
                            rc == CURLE_RANGE_ERROR)) {
      sink.offset = r.resumeFrom = 0;
      rc = RunWithRetry(r);
    }
  }
  if (rc == CURLE_FILESIZE_EXCEEDED) sink.tooBig = true;  // the server's size said it first
  curl_off_t told = -1;
  if (rc == CURLE_OK && check.size < 0 && check.needSize) {
    curl_easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &told);
    if (told < 0) {
      std::fclose(sink.file);
      RemovePartFile(part);
      return FtpResult::Fail(what + ": no size from the server", FtpFault::NoSize);
    }
  }
  const bool closed = std::fclose(sink.file) == 0;
  if (rc == CURLE_OK && closed && !sink.writeFailed &&
      RenamePartFile(part, localPath)) {
    return FtpResult::Ok();
  }
  // What arrived is kept for the next attempt only when it can be trusted to be the file's start.
  if (!check.resume || sink.tooBig || sink.writeFailed || !closed || rc == CURLE_OK)
    RemovePartFile(part);
  if (sink.tooBig) {
    return FtpResult::Fail(what + ": " + std::to_string(sink.max) + " bytes at most",
                           FtpFault::TooLarge);
  }
  if (sink.writeFailed || !closed) return FtpResult::Fail(what + ": cannot write " + part, FtpFault::Local);
  if (rc == CURLE_OK) return FtpResult::Fail(what + ": cannot rename " + part, FtpFault::Local);
  return Outcome(rc, what);
}

}  // namespace quo
