// The engine's services of the system the program is built for (processes, FTP, RAR archives,
// crypto): put in the run's platform for as long as this object lives. The launcher runs with
// the base services only; the window's own services are the toolkit's (window/qt, window/win32).
#pragma once

#include "platform/curl/curl_ftp_service.h"
#include "platform/libarchive/libarchive_rar.h"
#include "platform/platform.h"
#include "platform/service_plug.h"
#if defined(_WIN32)
#include "platform/crypto/win32_crypto.h"
#include "platform/win32/toolhelp_processes.h"
#else
#include "platform/crypto/openssl_crypto.h"
#include "platform/posix/procfs_processes.h"
#endif

namespace quo {

#if defined(_WIN32)
using SystemProcesses = ToolhelpProcesses;
using SystemCrypto = Win32Crypto;
#else
using SystemProcesses = ProcfsProcesses;
using SystemCrypto = OpenSslCrypto;
#endif

class EngineServices {
 public:
  explicit EngineServices(Platform& platform)
      : plugProcesses_(platform.processes, &processes_),
        plugFtp_(platform.ftp, &ftp_),
        plugRar_(platform.rar, &rar_),
        plugCrypto_(platform.crypto, &crypto_) {}

 private:
  SystemProcesses processes_;
  CurlFtpService ftp_;
  LibarchiveRar rar_;
  SystemCrypto crypto_;
  Plug<Processes> plugProcesses_;
  Plug<FtpService> plugFtp_;
  Plug<RarLibrary> plugRar_;
  Plug<Crypto> plugCrypto_;
};

}  // namespace quo
