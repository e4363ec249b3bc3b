#include "ftp/sck_ftp.h"

#include "startup/app_context.h"

namespace quo {

// Placeholder for the platform's session type until the FTP client lands.
class FtpSession {};

SckFtp::SckFtp(AppContext& app) : app_(app) { CalculeEtat(); }
SckFtp::~SckFtp() = default;

int SckFtp::NbFile() const { return std::stoi(nbFile_); }
void SckFtp::SetPort(int v) { port_ = v, CalculeEtat(); }
void SckFtp::SetUser(const std::string& v) { user_ = v, CalculeEtat(); }
void SckFtp::SetPass(const std::string& v) { pass_ = v, CalculeEtat(); }
void SckFtp::SetURL(const std::string& v) { url_ = v, CalculeEtat(); }

void SckFtp::CalculeEtat() {
  etat_ = url_.empty() || pass_.empty() || port_ < 1 || user_.empty() ? "Manque données" : "Prêt";
}

void SckFtp::Connect() { connected_ = false; }
void SckFtp::Deconnect() { connected_ = false; }
std::string SckFtp::ListFile() { return ""; }
std::string SckFtp::GetFile(const std::string&, bool) { return ""; }
std::string SckFtp::GetAllFile() { return ""; }
std::string SckFtp::DelFile(const std::string&) { return ""; }
std::string SckFtp::DelAllFile() { return ""; }
std::string SckFtp::ChangeDirectory(const std::string&) { return ""; }

}  // namespace quo
