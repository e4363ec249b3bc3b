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
  std::vector<std::string> args = Arguments(options.root, work_.path());
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
  pid_t pid = -1;
  if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  pid_ = pid;
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
  if (pid_ > 0 && ::kill(static_cast<pid_t>(pid_), SIGKILL) == 0)
    ::waitpid(static_cast<pid_t>(pid_), nullptr, 0);
  pid_ = -1;
}

}  // namespace quo::test
