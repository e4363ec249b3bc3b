#include "run/error_lines.h"

#include "app/app_context.h"

namespace quo {

namespace {

std::string Phrase(const AppContext& app, FtpFault fault) {
  switch (fault) {
    case FtpFault::NotFound: return app.Traduire("ErreurFtpIntrouvable");
    case FtpFault::Refused: return app.Traduire("ErreurFtpRefus");
    case FtpFault::Local: return app.Traduire("ErreurFtpLocal");
    case FtpFault::Abandoned: return app.Traduire("ErreurFtpInterrompu");
    case FtpFault::Tls: return app.Traduire("ConnexionSecuriseeImpossible");
    case FtpFault::TooLarge: return app.Traduire("ErreurFtpTropGrand");
    case FtpFault::NoSize: return app.Traduire("ErreurFtpSansTaille");
    case FtpFault::None:
    case FtpFault::Network: break;
  }
  return app.Traduire("ErreurFtpReseau");
}

}  // namespace

std::string FtpErrorLine(const AppContext& app, const FtpResult& result) {
  return Phrase(app, result.fault) + " " + result.error;
}

std::string InstallErrorLine(const AppContext& app, const std::string& what) {
  return app.Traduire("Echecdelinstallation") + " " + what;
}

}  // namespace quo
