#include "ftp/sck_ftp.h"

#include <exception>

#include "app/app_context.h"
#include "core/ftp_address.h"
#include "core/text.h"
#include "platform/ftp_client.h"

namespace quo {

namespace {

constexpr int kConnectPauseMs = 100;

// A server name that may become a file of the local folder: no separator, no "..", no control
// character, not "." alone.
bool IsSafeLocalName(const std::string& name) {
  if (name == "." || name.find("..") != std::string::npos) return false;
  for (const unsigned char c : name) {
    if (c == '/' || c == '\\' || c < 0x20 || c == 0x7f) return false;
  }
  return true;
}

std::string Printable(std::string s) {
  for (char& c : s) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  }
  return s;
}

// The names of a listing text ("#a#b" gives a, b).
std::vector<std::string> NamesOf(const std::string& listing) {
  std::vector<std::string> names;
  for (auto& n : Split(listing, '#')) {
    if (!n.empty()) names.push_back(std::move(n));
  }
  return names;
}

// Nothing to do: no name, no open session, nothing listed.
FtpResult NotRun() { return {false, ""}; }

// Runs an operation that reports any run-time failure as its result.
template <typename F>
FtpResult Trapped(bool& busy, F f) {
  try {
    return f();
  } catch (const std::exception& e) {
    busy = false;
    return FtpResult::Fail(e.what(), FtpFault::Local);
  }
}

}  // namespace

SckFtp::SckFtp(AppContext& app) : app_(app) { CalculeEtat(); }
SckFtp::~SckFtp() = default;

int SckFtp::NbFile() const { return WholeValue(nbFile_); }
void SckFtp::SetPort(int v) { port_ = v, CalculeEtat(); }
void SckFtp::SetUser(const std::string& v) { user_ = v, CalculeEtat(); }
void SckFtp::SetPass(const std::string& v) { pass_ = v, CalculeEtat(); }
void SckFtp::SetURL(const std::string& v) { url_ = v, CalculeEtat(); }

void SckFtp::CalculeEtat() {
  etat_ = url_.empty() || pass_.empty() || port_ < 1 || user_.empty() ? "Manque données" : "Prêt";
}

void SckFtp::Connect() {
  busy_ = true;
  connected_ = false;
  lastConnect_ = NotRun();
  session_.reset();
  FtpService* ftp = app_.platform.ftp;
  const auto address = ParseFtpAddress(url_, port_);
  if (ftp == nullptr || !address) {
    busy_ = false;
    return;
  }
  app_.Pause(kConnectPauseMs);
  lastConnect_ = ftp->CheckConnection(address->host, address->port);
  if (!lastConnect_.ok) {
    busy_ = false;
    return;
  }
  app_.Pause(kConnectPauseMs);
  session_ = ftp->NewSession({address->host, address->port, user_, pass_, modePassif_, tls_, ca_});
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
  busy_ = false;
}

void SckFtp::Deconnect() {
  if (session_) session_->Close();
  session_.reset();
  connected_ = false;
}

std::string SckFtp::ListFile() {
  lastList_ = NotRun();
  if (!connected_) return "";
  busy_ = true;
  listeFichiers_.clear();
  std::vector<std::string> names;
  lastList_ = session_->List(names);
  if (lastList_.ok) {
    const std::string filtre = FoldCase(filtre_);
    for (const auto& name : names) {
      // "#" separates the entries of the listing: such a name cannot be carried by it.
      if (name.find('#') != std::string::npos) continue;
      const std::size_t len = Utf8Length(name);
      const std::string tail = len > 3 ? Utf8Mid(name, len - 3) : name;
      if (filtre_.empty() || FoldCase(tail) == filtre) listeFichiers_ += "#" + name;
    }
  }
  busy_ = false;
  return listeFichiers_;
}

// A refused change is reported: the caller must not go on in the wrong directory (a version
// list naming a missing folder would otherwise take its packages from the update root).
FtpResult SckFtp::ChangeDirectory(const std::string& newRep) {
  if (!connected_) return NotRun();
  if (newRep.empty()) return FtpResult::Ok();
  return session_->ChangeDirectory(newRep);
}

void SckFtp::AddSlashToDossier() {
  if (dossier_.empty() || dossier_.back() != '/') dossier_ += "/";
}

FtpResult SckFtp::Download(const std::string& nomFic, const DownloadCheck& check) {
  if (!IsSafeLocalName(nomFic))
    return FtpResult::Fail("RETR " + Printable(nomFic) + ": refused file name", FtpFault::Local);
  if (abandon_) return FtpResult::Fail("RETR " + nomFic + ": abandoned", FtpFault::Abandoned);
  return session_->Download(nomFic, dossier_ + nomFic, check);
}

FtpResult SckFtp::GetFile(const std::string& nomFic, bool DelAfter, const DownloadCheck& check) {
  if (nomFic.empty() || !connected_) return NotRun();
  return Trapped(busy_, [&] {
    AddSlashToDossier();
    busy_ = true;
    const FtpResult r = Download(nomFic, check);
    // The server's copy goes only once the local one is complete.
    if (DelAfter && r.ok) DelFile(nomFic);
    busy_ = false;
    return r;
  });
}

FtpResult SckFtp::GetAllFile() {
  if (!connected_) return NotRun();
  return Trapped(busy_, [&] {
    AddSlashToDossier();
    busy_ = true;
    ListFile();
    busy_ = true;
    for (const auto& name : NamesOf(listeFichiers_)) {
      const FtpResult r = Download(name);
      if (!r.ok) {
        busy_ = false;
        return r;
      }
    }
    busy_ = false;
    return listeFichiers_.empty() ? NotRun() : FtpResult::Ok();
  });
}

FtpResult SckFtp::DelFile(const std::string& nomFic) {
  if (nomFic.empty() || !connected_) return NotRun();
  return Trapped(busy_, [&] {
    busy_ = true;
    const FtpResult r = session_->Delete(nomFic);
    busy_ = false;
    return r;
  });
}

FtpResult SckFtp::DelAllFile() {
  if (!connected_) return NotRun();
  return Trapped(busy_, [&] {
    ListFile();
    if (listeFichiers_.empty()) return NotRun();
    busy_ = true;
    FtpResult result = FtpResult::Ok();
    for (const auto& name : NamesOf(listeFichiers_)) {
      const FtpResult r = session_->Delete(name);
      if (!r.ok && result.ok) result = r;  // the first failure
    }
    busy_ = false;
    return result;
  });
}

}  // namespace quo
