#include "support/ftp_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "support/temp_dir.h"

extern char** environ;

namespace quo::test {

namespace {

constexpr const char* kPython = "/usr/bin/python3";
constexpr const char* kScript = QUO_SOURCE_DIR "/tests/support/ftp_server.py";

// "--name" or "--name", "value" from "name" or "name=value".
void AddFault(std::vector<std::string>& args, const std::string& fault) {
  const auto eq = fault.find('=');
  args.push_back("--" + fault.substr(0, eq));
  if (eq != std::string::npos) args.push_back(fault.substr(eq + 1));
}

// Reads the first line the child writes, within timeoutMs. "" on timeout or end of stream.
std::string ReadFirstLine(int fd, int timeoutMs) {
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (line.find('\n') == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) return "";
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left)) <= 0) return "";
    char buf[256];
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n <= 0) return "";
    line.append(buf, static_cast<size_t>(n));
  }
  return line.substr(0, line.find('\n'));
}

void Stop(pid_t pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  for (int i = 0; i < 200; ++i) {
    if (::waitpid(pid, nullptr, WNOHANG) == pid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
}

}  // namespace

FtpTestServer::FtpTestServer(const Options& options) : options_(options) {
  char tmpl[] = "/tmp/quo_ftpd_XXXXXX";
  if (::mkdtemp(tmpl) == nullptr) throw std::runtime_error("mkdtemp failed");
  workDir_ = std::string(tmpl) + "/";

  std::vector<std::string> args = {kPython,  kScript,      "--root",     options.root,
                                   "--user", options.user, "--password", options.password,
                                   "--host", options.host, "--log",      workDir_ + "log.txt"};
  for (const auto& f : options.faults) AddFault(args, f);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  const std::string errPath = workDir_ + "stderr.txt";
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  const int rc = ::posix_spawn(&pid_, kPython, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  if (rc != 0) {
    ::close(out[0]);
    throw std::runtime_error("cannot start " + std::string(kPython));
  }
  const std::string line = ReadFirstLine(out[0], 15000);
  ::close(out[0]);
  if (line.rfind("PORT ", 0) == 0) port_ = std::atoi(line.c_str() + 5);
  if (port_ <= 0) {
    Stop(pid_);
    pid_ = -1;
    const std::string err = ReadFile(errPath);
    std::filesystem::remove_all(workDir_);
    throw std::runtime_error("the test FTP server did not start: " + err);
  }
}

FtpTestServer::~FtpTestServer() {
  Stop(pid_);
  std::error_code ec;
  std::filesystem::remove_all(workDir_, ec);
}

std::string FtpTestServer::address() const {
  const bool v6 = options_.host.find(':') != std::string::npos;
  return (v6 ? "[" + options_.host + "]" : options_.host) + ":" + std::to_string(port_);
}

std::string FtpTestServer::log() const { return ReadFile(workDir_ + "log.txt"); }

}  // namespace quo::test
