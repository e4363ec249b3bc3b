#include "e2e/program_run.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>

namespace quo::test {

ProgramFolder::ProgramFolder() {
  namespace fs = std::filesystem;
  const fs::path build = QUO_PROGRAM_BUILD_DIR;
  for (const char* name : {"QuoUpdate", "libquo_gui.so", "libquo_avi.so", "libquo_mdb.so"})
    fs::copy_file(build / name, dir / name);
  fs::copy(build / "LanguesUpdate", dir / "LanguesUpdate", fs::copy_options::recursive);
}

void ProgramFolder::WriteSettings(const std::string& text) const {
  WriteFile(dir / "QuoUpdate.ini", text);
}

ProgramResult ProgramFolder::Run(const std::vector<std::string>& args, int timeoutMs) const {
  const std::string errPath = dir / "stderr.txt";
  const std::string runtime = dir / "runtime";
  std::filesystem::create_directories(runtime);
  std::vector<std::string> argv{dir / "QuoUpdate"};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> cargv;
  for (std::string& a : argv) cargv.push_back(a.data());
  cargv.push_back(nullptr);

  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    const int fd = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(fd, 2);
    ::setenv("QUOUPDATE_UNATTENDED", "1", 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    // LeakSanitizer's exit-time check of a whole Qt program now and then crashes its own tracer
    // on a busy machine; leaks are checked by the tests that run the code in process.
    ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    ::execv(cargv[0], cargv.data());
    ::_exit(127);
  }
  ProgramResult result;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  int status = 0;
  for (;;) {
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      break;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  result.err = ReadFile(errPath);
  return result;
}

int ClosedPort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
  ::close(s);
  return ntohs(a.sin_port);
}

}  // namespace quo::test
