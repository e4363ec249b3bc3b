#include "ftp/ftp_connection.h"

#include <exception>

#include "app/app_context.h"
#include "core/ftp_address.h"
#include "core/paths.h"
#include "core/text.h"
#include "platform/ftp_client.h"

namespace quo {

namespace {

// Connecting pauses between its steps, the window's events running meanwhile: the phase text and
// the animation that announce the connection are painted before the network can block, and
// the connection's pace (about half a second in all) is the one the product's users know.
constexpr int kConnectPauseMs = 100;

// Nothing to do: no name, no open session.
FtpResult NotRun() { return {false, ""}; }

// Runs an operation that reports any run-time failure as its result.
template <typename F>
FtpResult Trapped(F f) {
  try {
    return f();
  } catch (const std::exception& e) {
    return FtpResult::Fail(e.what(), FtpFault::Local);
  }
}

}  // namespace

FtpConnection::FtpConnection(AppContext& app) : app_(app) {}
FtpConnection::~FtpConnection() = default;

void FtpConnection::Connect() {
  connected_ = false;
  lastConnect_ = NotRun();
  session_.reset();
  FtpService* ftp = app_.platform.ftp;
  const auto address = ParseFtpAddress(url_, kFtpDefaultPort);
  if (ftp == nullptr || !address) return;
  app_.Pause(kConnectPauseMs);
  lastConnect_ = ftp->CheckConnection(address->host, address->port);
  if (!lastConnect_.ok) return;
  app_.Pause(kConnectPauseMs);
  session_ = ftp->NewSession({address->host, address->port, user_, pass_, tls_, ca_});
  session_->SetProgress([this](std::int64_t, std::int64_t) {
    app_.PumpMessages();
    return !abandon_;
  });
  const FtpSession::OpenReplies replies = session_->Open();
  lastConnect_ = replies.result;
  app_.Pause(kConnectPauseMs);
  app_.Pause(kConnectPauseMs);
  if (StartsWith(replies.greeting, "220")) {
    app_.Pause(kConnectPauseMs);
    app_.Pause(kConnectPauseMs);
    connected_ = StartsWith(replies.pwd, "257");
  }
}

void FtpConnection::Disconnect() {
  if (session_) session_->Close();
  session_.reset();
  connected_ = false;
}

std::string FtpConnection::ListDirectory() {
  lastList_ = NotRun();
  if (!connected_) return "";
  std::string listing;
  std::vector<std::string> names;
  lastList_ = session_->List(names);
  if (lastList_.ok) {
    for (const auto& name : names) {
      // "#" separates the entries of the listing: such a name cannot be carried by it.
      if (name.find('#') == std::string::npos) listing += "#" + name;
    }
  }
  return listing;
}

// A refused change is reported: the caller must not go on in the wrong directory (a version
// list naming a missing folder would otherwise take its packages from the update root).
FtpResult FtpConnection::ChangeDirectory(const std::string& dir) {
  if (!connected_) return NotRun();
  if (dir.empty()) return FtpResult::Ok();
  return session_->ChangeDirectory(dir);
}

void FtpConnection::AddSlashToLocalDir() { localDir_ = WithSlash(localDir_); }

FtpResult FtpConnection::Download(const std::string& name, const DownloadCheck& check) {
  if (!IsPlainFileName(name))
    return FtpResult::Fail("RETR " + Printable(name) + ": refused file name", FtpFault::Local);
  if (abandon_) return FtpResult::Fail("RETR " + name + ": abandoned", FtpFault::Abandoned);
  return session_->Download(name, localDir_ + name, check);
}

FtpResult FtpConnection::DownloadFile(const std::string& name, const DownloadCheck& check) {
  if (name.empty() || !connected_) return NotRun();
  return Trapped([&] {
    AddSlashToLocalDir();
    return Download(name, check);
  });
}

}  // namespace quo
