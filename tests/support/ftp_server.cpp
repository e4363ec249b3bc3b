#include "support/ftp_server.h"

namespace quo::test {

std::vector<std::string> FtpTestServer::Arguments(const std::string& root,
                                                  const std::string& work) const {
  std::vector<std::string> args = {"/usr/bin/python3",
                                   QUO_SOURCE_DIR "/tests/support/ftp_server.py", "--root=" + root,
                                   "--host=" + options_.host, "--log=" + work + "log.txt"};
  for (const auto& fault : options_.faults)
    if (!fault.empty()) args.push_back("--" + fault);
  return args;
}

std::string FtpTestServer::address() const {
  const bool v6 = options_.host.find(':') != std::string::npos;
  return (v6 ? "[" + options_.host + "]" : options_.host) + ":" + std::to_string(port_);
}

}  // namespace quo::test
