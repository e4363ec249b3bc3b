// Under Wine a Windows process can start a Linux program (CreateProcess of its Unix path) but
// cannot wait for it or end it: the server writes its port to a file and ends when the stop file
// appears (or after its time limit, should the test crash).
#include <windows.h>

#include <stdexcept>

#include "platform/curl/curl_ftp_service.h"
#include "platform/win32/wide.h"
#include "support/ftp_server.h"
#include "support/wine.h"

namespace quo::test {

FtpTestServer::FtpTestServer(const Options& options) : options_(options) {
  const std::string work = UnixPath(work_.path());
  std::vector<std::string> args = Arguments(UnixPath(options.root), work);
  args.insert(args.end(), {"--port-file=" + work + "port.txt", "--stop-file=" + work + "stop",
                           "--stderr=" + work + "stderr.txt", "--max-seconds=900"});
  std::string line;
  for (const auto& a : args) line += (line.empty() ? "\"" : " \"") + a + "\"";
  std::wstring wline = win32::Widen(line);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, wline.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi))
    throw std::runtime_error("the test FTP server could not be started: error " +
                             std::to_string(GetLastError()));
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  pid_ = 1;
  for (int i = 0; i < 400 && port_ <= 0; ++i) {
    const std::string text = ReadFile(work_ / "port.txt");
    if (text.rfind("PORT ", 0) == 0) port_ = std::stoi(text.substr(5));
    if (port_ <= 0) Sleep(25);
  }
  if (port_ <= 0) {
    Stop();
    throw std::runtime_error("the test FTP server did not start: " + output());
  }
}

void FtpTestServer::Stop() {
  if (pid_ <= 0) return;
  WriteFile(work_ / "stop", "");  // seen within 0.2 s; the log stays readable meanwhile
  pid_ = -1;
  // Gone once its port refuses connections.
  for (int i = 0; i < 100 && CurlFtpService().CheckConnection(options_.host, port_).ok; ++i)
    Sleep(20);
}

}  // namespace quo::test
