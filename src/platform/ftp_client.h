// FTP client service: sessions with one FTP server, each over one control connection (one
// login per session; a connection the server closed is replaced by a fresh login, once per
// operation).
//
// Contract:
// - The session keeps the server's current directory itself: every operation first enters it
//   again, so a lost connection never loses the place.
// - Reply lines are the server's final reply lines ("220 Ready."), cut at 512 bytes and with
//   control characters replaced; a password never appears in anything the session keeps.
// - No operation hangs beyond the limits of FtpLimits: a dead, silent or stalled server ends
//   the operation with a failure.
// - During every operation the progress function runs at least every 100 ms (it lets window
//   events run); when it returns false the operation stops and fails as abandoned.
// - Download writes "<local>.part" and renames it over <local> only when the whole file
//   arrived: a failed download leaves an older <local> untouched and no .part behind, except a
//   download that may be resumed, which keeps what arrived for the next attempt.
// - Names and directories holding control characters (CR, LF, NUL...) are refused before any
//   command is sent.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quo {

class Sha256;

// Every time limit of the FTP client, in one place.
struct FtpLimits {
  int connectTimeoutMs = 15000;           // TCP connection (control and data), network check
  int replyTimeoutSec = 30;               // wait for any one server reply
  int lowSpeedTimeSec = 30;               // a transfer slower than 1 byte/s for this long fails
  // A transfer whose average rate since it began is below the floor fails once it has run for
  // minRateAfterSec (0 bytes/s: no floor).
  std::int64_t minRateBytesPerSec = 10000;
  int minRateAfterSec = 60;
  std::int64_t maxFileBytes = 8LL << 30;  // a download growing beyond this fails
};

struct FtpLogin {
  std::string host;  // name, IPv4 or IPv6 address (without brackets)
  int port = 21;
  std::string user, password;  // the data connections are passive (the client connects)
  // Explicit FTP over TLS: AUTH TLS, then the control and data connections protected, or no
  // session at all (never plain FTP). The server's certificate must verify against caFile
  // (PEM), or the system's authorities when caFile is "".
  bool tls = false;
  std::string caFile;
};

// The kind of a failure, which decides the words the user reads before its description.
enum class FtpFault {
  None,
  NotFound,   // the server has no such file or directory (550)
  Refused,    // the server answered with another refusal (4xx, 5xx)
  Network,    // no connection, no answer in time, the connection lost
  Local,      // this side: a name it will not send, a file it cannot write, a file too large
  Abandoned,  // stopped by the program (the window closed)
  Tls,        // no secure connection: certificate not verified, AUTH TLS refused, handshake failed
  TooLarge,   // a download larger than its limit, told by the server's size or the bytes received
  NoSize,     // a download that had to know its size, from a server that gave none
};

// The kind of failure a final reply line tells (a failure without a 4xx or 5xx reply is the
// network's).
inline FtpFault FaultOfReply(const std::string& reply) {
  if (reply.rfind("550", 0) == 0) return FtpFault::NotFound;
  if (!reply.empty() && (reply[0] == '4' || reply[0] == '5')) return FtpFault::Refused;
  return FtpFault::Network;
}

// Outcome of one operation: ok, or a description of the failure (with the server's reply).
struct FtpResult {
  bool ok = false;
  std::string error;
  FtpFault fault = FtpFault::None;
  static FtpResult Ok() { return {true, "", FtpFault::None}; }
  static FtpResult Fail(std::string why, FtpFault fault) { return {false, std::move(why), fault}; }
};

// What a download knows of the file before it arrives.
struct DownloadCheck {
  std::int64_t size = -1;  // its size when known: a file growing beyond fails at once
  // A "<local>.part" left by an earlier attempt is continued from its end (REST) when it is an
  // ordinary file not longer than size; a failed attempt keeps its .part.
  bool resume = false;
  Sha256* hash = nullptr;  // when given: fed every byte of the file, in order, from its start
  // The largest file accepted when size is unknown (-1: the service's limit); a server that
  // announces more is refused before any byte.
  std::int64_t limit = -1;
  // Without size, the server must tell one (SIZE, or its transfer reply): else the download
  // fails, since a connection cut short could not be told apart from the end of the file.
  bool needSize = false;
};

// Returns false to abandon the running operation. done/total: bytes of a download (total 0
// when unknown).
using FtpProgress = std::function<bool(std::int64_t done, std::int64_t total)>;

class FtpSession {
 public:
  virtual ~FtpSession() = default;

  // Opens the control connection and logs in. greeting: the server's first reply line;
  // pwd: the reply line to the PWD that follows the login ("" when none came). The session is
  // usable when the greeting starts with "220" and pwd with "257"; the caller decides.
  // result: ok when the connection and the login ran through, else why not (a refused login, a
  // certificate that does not verify...).
  struct OpenReplies {
    std::string greeting, pwd;
    FtpResult result;
  };
  virtual OpenReplies Open() = 0;
  // Closes the control connection (harmless when none is open).
  virtual void Close() = 0;

  // Enters newDir (relative to the current directory or absolute); on success the current
  // directory becomes the one the server reports. Fails (and keeps the current directory) when
  // the server refuses the change or does not report the new directory.
  virtual FtpResult ChangeDirectory(const std::string& newDir) = 0;
  // The current directory as the server last reported it.
  virtual std::string CurrentDirectory() const = 0;
  // Names of the current directory (NLST), in the server's order, without "." and "..".
  virtual FtpResult List(std::vector<std::string>& names) = 0;
  // Downloads the file name of the current directory to localPath (see the contract above).
  virtual FtpResult Download(const std::string& name, const std::string& localPath,
                             const DownloadCheck& check) = 0;

  virtual void SetProgress(FtpProgress progress) = 0;
};

class FtpService {
 public:
  virtual ~FtpService() = default;

  // The network check: host resolves and a TCP connection to port opens within the connect
  // timeout (closed at once). A failure (FtpFault::Network) says what the system said: the
  // resolver's words for a name that does not resolve, the connection's error ("Connection
  // refused"), or "timed out".
  virtual FtpResult CheckConnection(const std::string& host, int port) = 0;
  // A new session (not connected yet).
  virtual std::unique_ptr<FtpSession> NewSession(const FtpLogin& login) = 0;

  // The limits applied to sessions created afterwards.
  virtual void SetLimits(const FtpLimits& limits) = 0;
  virtual FtpLimits Limits() const = 0;
};

}  // namespace quo
