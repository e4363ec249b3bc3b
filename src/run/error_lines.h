// The words of a failure: a translated phrase first, then what the server or the system said
// (in its own language; it helps whoever keeps the server).
#pragma once

#include <string>

#include "platform/ftp_client.h"

namespace quo {

class AppContext;

// "Fichier introuvable sur le serveur : RETR a.dll (550 ...)" and the like, by kind of failure.
std::string FtpErrorLine(const AppContext& app, const FtpResult& result);
// "Échec de l'installation : " followed by the description of a failure of the installation.
std::string InstallErrorLine(const AppContext& app, const std::string& what);

}  // namespace quo
