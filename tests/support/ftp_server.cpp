#include "support/ftp_server.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

extern char** environ;

namespace quo::test {

FtpTestServer::FtpTestServer(const Options& options) : options_(options) {
  const char* python = "/usr/bin/python3";
  std::vector<std::string> args = {python, QUO_SOURCE_DIR "/tests/support/ftp_server.py",
                                   "--root=" + options.root, "--host=" + options.host,
                                   "--log=" + work_ / "log.txt"};
  for (const auto& fault : options.faults)
    if (!fault.empty()) args.push_back("--" + fault);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  const std::string errPath = work_ / "stderr.txt";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT, 0644);
  if (::posix_spawn(&pid_, python, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  // The first line is the port; the end of the output comes first when the server fails.
  std::FILE* in = ::fdopen(out[0], "r");
  if (pid_ <= 0 || std::fscanf(in, "PORT %d", &port_) != 1) port_ = 0;
  std::fclose(in);
  if (port_ <= 0) {
    Stop();
    throw std::runtime_error("the test FTP server did not start: " + ReadFile(errPath));
  }
}

void FtpTestServer::Stop() {
  if (pid_ > 0 && ::kill(pid_, SIGKILL) == 0) ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

std::string FtpTestServer::address() const {
  const bool v6 = options_.host.find(':') != std::string::npos;
  return (v6 ? "[" + options_.host + "]" : options_.host) + ":" + std::to_string(port_);
}

}  // namespace quo::test
