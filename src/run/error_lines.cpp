#include "run/error_lines.h"

#include "app/app_context.h"

namespace quo {

namespace {

std::string Phrase(const AppContext& app, FtpFault fault) {
  switch (fault) {
    case FtpFault::NotFound:
      return app.Translate("ErreurFtpIntrouvable");
    case FtpFault::Refused:
      return app.Translate("ErreurFtpRefus");
    case FtpFault::Local:
      return app.Translate("ErreurFtpLocal");
    case FtpFault::Abandoned:
      return app.Translate("ErreurFtpInterrompu");
    case FtpFault::Tls:
      return app.Translate("ConnexionSecuriseeImpossible");
    case FtpFault::TooLarge:
      return app.Translate("ErreurFtpTropGrand");
    case FtpFault::NoSize:
      return app.Translate("ErreurFtpSansTaille");
    case FtpFault::None:
    case FtpFault::Network: break;
  }
  return app.Translate("ErreurFtpReseau");
}

}  // namespace

std::string FtpErrorLine(const AppContext& app, const FtpResult& result) {
  return Phrase(app, result.fault) + " " + result.error;
}

std::string InstallErrorLine(const AppContext& app, const std::string& what) {
  return app.Translate("Echecdelinstallation") + " " + what;
}

}  // namespace quo
