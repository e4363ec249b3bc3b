// FtpConnection: one session with one FTP server, over the platform's FTP client service.
// The downloads and directory changes give an FtpResult: ok when the operation ran to its end;
// otherwise error describes the failure, or is empty when there was nothing to do (no name
// given, no open session). A failed download or a refused directory change is a failure; a
// failed download never replaces the local file.
// URL may carry the port ("host:port", "[v6]:port"); without one the session uses port 21.
// Dossier is the local download folder; it is given a trailing "/" on the first download.
#pragma once

#include <memory>
#include <string>

#include "platform/ftp_client.h"

namespace quo {

class AppContext;

class FtpConnection {
 public:
  explicit FtpConnection(AppContext& app);
  ~FtpConnection();
  FtpConnection(const FtpConnection&) = delete;
  FtpConnection& operator=(const FtpConnection&) = delete;

  bool Connected() const { return connected_; }
  // FTP over TLS, with the certificate authorities' file ("" for the system's; see FtpLogin).
  void SetTls(bool v) { tls_ = v; }
  void SetCA(const std::string& v) { ca_ = v; }
  void SetLocalDir(const std::string& v) { localDir_ = v; }
  void SetUser(const std::string& v) { user_ = v; }
  void SetPass(const std::string& v) { pass_ = v; }
  void SetURL(const std::string& v) { url_ = v; }

  void Connect();
  // How the last Connect went, with the failure's description: the network check's (a name that
  // does not resolve, a refused connection) or the login's; error "" when nothing was tried (no
  // address, no FTP service).
  const FtpResult& LastConnect() const { return lastConnect_; }
  void Disconnect();
  // The names of the current directory, each after "#"; "" when the listing failed too.
  std::string ListDirectory();
  // How the last ListDirectory went (without an open session: nothing to do).
  const FtpResult& LastList() const { return lastList_; }
  FtpResult DownloadFile(const std::string& name, const DownloadCheck& check = {});
  // An empty name keeps the current directory.
  FtpResult ChangeDirectory(const std::string& dir);

  // Asks the running transfer to stop at its next progress report (the window is closing);
  // every later transfer of this object stops at once too.
  void Abandon() { abandon_ = true; }

 private:
  void AddSlashToLocalDir();
  FtpResult Download(const std::string& name, const DownloadCheck& check);

  AppContext& app_;
  std::unique_ptr<FtpSession> session_;
  std::string user_ = "anonymous", pass_ = "quorvanta", url_ = "127.0.0.1";
  std::string localDir_ = "/", ca_;
  FtpResult lastList_, lastConnect_;
  bool tls_ = false, connected_ = false, abandon_ = false;
};

}  // namespace quo
