// The libcurl multi loop that runs one request of a session, and the reply lines it keeps.
#include "platform/curl/curl_ftp_request.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "core/text.h"
#include "platform/curl/curl_sockets.h"
#include "platform/curl/part_file.h"

namespace quo {

namespace {

constexpr size_t kMaxReplyLine = 512;
constexpr auto kPumpEvery = std::chrono::milliseconds(25);

// A reply line as kept: control characters replaced, cut to kMaxReplyLine.
std::string CleanLine(std::string line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  if (line.size() > kMaxReplyLine) line.resize(kMaxReplyLine);
  return Printable(line);
}

// "123 text" or "123": the last line of a reply (continuation lines are "123-text" or free).
bool IsFinalReply(const std::string& line) {
  if (line.size() < 3) return false;
  for (int i = 0; i < 3; ++i) {
    if (line[i] < '0' || line[i] > '9') return false;
  }
  return line.size() == 3 || line[3] == ' ';
}

// The failures of the secure connection itself (not of a command sent over it).
bool IsTlsFailure(CURLcode rc) {
  switch (rc) {
    case CURLE_USE_SSL_FAILED:  // AUTH TLS refused
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH: return true;
    default: return false;
  }
}

std::string UrlHost(const std::string& host) {
  return host.find(':') != std::string::npos ? "[" + host + "]" : host;
}

}  // namespace

void CurlFtpSession::Sink::Restart() {
  bytes = 0;
  tooBig = writeFailed = false;
  if (text != nullptr) text->clear();
  if (file == nullptr) return;
  if (!SizePartFile(file, offset)) writeFailed = true;
  if (hash != nullptr) {
    hash->Reset();
    std::vector<char> buffer(1 << 20);
    for (std::int64_t at = 0; at < offset && !writeFailed;) {
      const auto want = static_cast<size_t>(std::min<std::int64_t>(offset - at, buffer.size()));
      const std::int64_t n = ReadPartFile(file, buffer.data(), want, at);
      if (n <= 0) {
        writeFailed = true;
        break;
      }
      hash->Update(buffer.data(), static_cast<size_t>(n));
      at += n;
      // An abandon asked meanwhile is honoured by the transfer's first report.
      if (tick && at % (8 << 20) == 0) tick();
    }
  }
  if (!SeekPartFile(file, offset)) writeFailed = true;
}

size_t CurlFtpSession::Sink::Write(char* data, size_t, size_t n, void* self) {
  auto* s = static_cast<Sink*>(self);
  if (s->offset + s->bytes + static_cast<std::int64_t>(n) > s->max) {
    s->tooBig = true;
    return 0;
  }
  s->bytes += static_cast<std::int64_t>(n);
  if (s->text != nullptr) {
    s->text->append(data, n);
    return n;
  }
  if (std::fwrite(data, 1, n, s->file) != n) {
    s->writeFailed = true;
    return 0;
  }
  if (s->hash != nullptr) s->hash->Update(data, n);
  return !s->tick || s->tick() ? n : 0;
}

curl_socket_t CurlFtpSession::OpenSocket(void* self, curlsocktype, curl_sockaddr* a) {
  const curl_socket_t s = NewSocket(a->family, a->socktype, a->protocol);
  if (s != CURL_SOCKET_BAD) static_cast<CurlFtpSession*>(self)->sockets_.insert(s);
  return s;
}

int CurlFtpSession::CloseSocket(void* self, curl_socket_t s) {
  static_cast<CurlFtpSession*>(self)->sockets_.erase(s);
  return DestroySocket(s);
}

int CurlFtpSession::DebugCallback(CURL*, curl_infotype type, char* data, size_t size, void* self) {
  if (type == CURLINFO_HEADER_IN || type == CURLINFO_HEADER_OUT) {
    static_cast<CurlFtpSession*>(self)->OnHeader(type == CURLINFO_HEADER_IN, data, size);
  }
  return 0;
}

void CurlFtpSession::OnHeader(bool incoming, const char* data, size_t size) {
  if (!incoming) {
    std::string command = CleanLine(std::string(data, size));
    if (command.rfind("PASS ", 0) == 0) command = "PASS ******";
    exchanges_.push_back({command, ""});
    return;
  }
  for (size_t i = 0; i < size; ++i) {
    if (data[i] != '\n') {
      if (lineIn_.size() < kMaxReplyLine + 2) lineIn_ += data[i];
      continue;
    }
    const std::string line = CleanLine(lineIn_);
    lineIn_.clear();
    if (!IsFinalReply(line)) continue;
    if (exchanges_.empty() || !exchanges_.back().reply.empty()) {
      exchanges_.push_back({"", line});
    } else {
      exchanges_.back().reply = line;
    }
  }
}

const CurlFtpSession::Exchange* CurlFtpSession::LastExchange(const std::string& command) const {
  for (auto it = exchanges_.rbegin(); it != exchanges_.rend(); ++it) {
    if (it->command == command) return &*it;
  }
  return nullptr;
}

CURLcode CurlFtpSession::Run(const Request& r, bool fresh) {
  exchanges_.clear();
  lineIn_.clear();
  stalled_ = slow_ = false;
  errorBuffer_[0] = '\0';
  lastPump_ = std::chrono::steady_clock::now();
  if (r.sink != nullptr) {
    // Window events also run from inside a long stretch of curl's work (one call of
    // curl_multi_perform can take in tens of megabytes), and while kept bytes are hashed.
    r.sink->tick = [this, sink = r.sink] { return PumpIfDue(sink->offset + sink->bytes); };
    r.sink->Restart();
  }

  curl_easy_reset(easy_);
  const std::string url =
      "ftp://" + UrlHost(login_.host) + ":" + std::to_string(login_.port) + "/" + r.path;
  curl_easy_setopt(easy_, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy_, CURLOPT_USERNAME, login_.user.c_str());
  curl_easy_setopt(easy_, CURLOPT_PASSWORD, login_.password.c_str());
  curl_easy_setopt(easy_, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
  curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, errorBuffer_);
  curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits_.connectTimeoutMs));
  curl_easy_setopt(easy_, CURLOPT_SERVER_RESPONSE_TIMEOUT,
                   static_cast<long>(limits_.replyTimeoutSec));
  curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits_.lowSpeedTimeSec));
  curl_easy_setopt(easy_, CURLOPT_BUFFERSIZE, 256L * 1024);
  if (login_.tls) {
    curl_easy_setopt(easy_, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    curl_easy_setopt(easy_, CURLOPT_FTPSSLAUTH, static_cast<long>(CURLFTPAUTH_TLS));
    curl_easy_setopt(easy_, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy_, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!login_.caFile.empty()) curl_easy_setopt(easy_, CURLOPT_CAINFO, login_.caFile.c_str());
  }
  if (fresh) curl_easy_setopt(easy_, CURLOPT_FRESH_CONNECT, 1L);
  curl_easy_setopt(easy_, CURLOPT_OPENSOCKETFUNCTION, &CurlFtpSession::OpenSocket);
  curl_easy_setopt(easy_, CURLOPT_OPENSOCKETDATA, this);
  curl_easy_setopt(easy_, CURLOPT_CLOSESOCKETFUNCTION, &CurlFtpSession::CloseSocket);
  curl_easy_setopt(easy_, CURLOPT_CLOSESOCKETDATA, this);
  curl_easy_setopt(easy_, CURLOPT_VERBOSE, 1L);
  curl_easy_setopt(easy_, CURLOPT_DEBUGFUNCTION, &CurlFtpSession::DebugCallback);
  curl_easy_setopt(easy_, CURLOPT_DEBUGDATA, this);
  curl_easy_setopt(easy_, CURLOPT_NOBODY, r.nobody ? 1L : 0L);
  curl_easy_setopt(easy_, CURLOPT_DIRLISTONLY, r.listOnly ? 1L : 0L);
  if (r.resumeFrom > 0)
    curl_easy_setopt(easy_, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(r.resumeFrom));
  if (r.maxFileSize > 0)
    curl_easy_setopt(easy_, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(r.maxFileSize));
  if (r.sink != nullptr) {
    curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &Sink::Write);
    curl_easy_setopt(easy_, CURLOPT_WRITEDATA, r.sink);
  }
  curl_slist* quote = nullptr;
  for (const auto& q : r.quote) quote = curl_slist_append(quote, q.c_str());
  curl_easy_setopt(easy_, CURLOPT_QUOTE, quote);

  CURLcode result = CURLE_OK;
  curl_multi_add_handle(multi_, easy_);
  const auto began = std::chrono::steady_clock::now();
  auto lastByteAt = began;
  std::int64_t lastBytes = 0;
  for (bool done = false; !done;) {
    int running = 0;
    if (curl_multi_perform(multi_, &running) != CURLM_OK) {
      result = CURLE_FAILED_INIT;
      break;
    }
    int left = 0;
    while (CURLMsg* m = curl_multi_info_read(multi_, &left)) {
      if (m->msg == CURLMSG_DONE) {
        result = m->data.result;
        done = true;
      }
    }
    if (done || running == 0) break;
    const auto now = std::chrono::steady_clock::now();
    // curl's low-speed check averages over several seconds; a transfer that stops after its
    // first bytes is caught here after exactly the limit.
    const std::int64_t got = r.sink != nullptr ? r.sink->bytes : 0;
    if (got != lastBytes) {
      lastBytes = got;
      lastByteAt = now;
    } else if (got > 0 && now - lastByteAt >= std::chrono::seconds(limits_.lowSpeedTimeSec)) {
      stalled_ = true;
      result = CURLE_OPERATION_TIMEDOUT;
      break;
    }
    if (r.sink != nullptr && TooSlow(got, now - began)) {
      slow_ = true;
      result = CURLE_OPERATION_TIMEDOUT;
      break;
    }
    if (!PumpIfDue(got)) {
      result = CURLE_ABORTED_BY_CALLBACK;
      break;
    }
    curl_multi_poll(multi_, nullptr, 0, static_cast<int>(kPumpEvery.count()), nullptr);
  }
  curl_multi_remove_handle(multi_, easy_);
  curl_easy_setopt(easy_, CURLOPT_QUOTE, nullptr);
  curl_slist_free_all(quote);
  return result;
}

bool CurlFtpSession::PumpIfDue(std::int64_t done) {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastPump_ < kPumpEvery) return true;
  lastPump_ = now;
  curl_off_t total = 0;
  curl_easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &total);
  if (!progress_ || progress_(done, total < 0 ? 0 : total)) return true;
  abandoned_ = true;
  return false;
}

bool CurlFtpSession::TooSlow(std::int64_t bytes, std::chrono::steady_clock::duration spent) const {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(spent).count();
  return limits_.minRateBytesPerSec > 0 && ms >= limits_.minRateAfterSec * 1000LL &&
         bytes * 1000 < limits_.minRateBytesPerSec * ms;
}

CURLcode CurlFtpSession::RunWithRetry(const Request& r) {
  abandoned_ = false;
  CURLcode rc = Run(r, false);
  if (rc == CURLE_OK || abandoned_ || stalled_ || slow_) return rc;
  long connects = 0;
  curl_easy_getinfo(easy_, CURLINFO_NUM_CONNECTS, &connects);
  bool saw421 = false;
  for (const auto& e : exchanges_) saw421 = saw421 || e.reply.rfind("421", 0) == 0;
  const bool lostLink = rc == CURLE_SEND_ERROR || rc == CURLE_RECV_ERROR ||
                        rc == CURLE_GOT_NOTHING || rc == CURLE_WEIRD_SERVER_REPLY;
  // A server that closed an idle connection answers the next command with 421 (curl reports a
  // time-out) or not at all. Only a reused connection can be stale; a fresh one that fails is a
  // real failure.
  if (connects == 0 && (saw421 || lostLink)) rc = Run(r, true);
  return rc;
}

FtpResult CurlFtpSession::Outcome(CURLcode rc, const std::string& what) const {
  if (rc == CURLE_OK) return FtpResult::Ok();
  if (abandoned_) return FtpResult::Fail(what + ": abandoned", FtpFault::Abandoned);
  if (stalled_) {
    return FtpResult::Fail(what + ": no data for " + std::to_string(limits_.lowSpeedTimeSec) + " s",
                           FtpFault::Network);
  }
  if (slow_) {
    return FtpResult::Fail(what + ": slower than " + std::to_string(limits_.minRateBytesPerSec) +
                               " bytes/s on average after " +
                               std::to_string(limits_.minRateAfterSec) + " s",
                           FtpFault::Network);
  }
  std::string reply;
  for (auto it = exchanges_.rbegin(); it != exchanges_.rend() && reply.empty(); ++it)
    reply = it->reply;
  const FtpFault fault = IsTlsFailure(rc) ? FtpFault::Tls : FaultOfReply(reply);
  // A refusal is told by the server's own reply; curl's paraphrase of it adds nothing.
  if (fault != FtpFault::Network && fault != FtpFault::Tls)
    return FtpResult::Fail(what + " (" + reply + ")", fault);
  std::string why = what + ": " + (errorBuffer_[0] != '\0' ? errorBuffer_ : curl_easy_strerror(rc));
  if (!reply.empty()) why += " (" + reply + ")";
  return FtpResult::Fail(why, fault);
}

}  // namespace quo
