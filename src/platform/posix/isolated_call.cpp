#include "platform/posix/isolated_call.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <exception>

#include "core/error.h"

namespace quo {
namespace {

// Child's reply: one status byte ('0' result, '1' error message) then the text.
bool WriteAll(int fd, const std::string& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

[[noreturn]] void RunChild(const std::function<std::string()>& work, int fd) {
  const int devnull = ::open("/dev/null", O_WRONLY);
  if (devnull >= 0) ::dup2(devnull, STDERR_FILENO);
  std::string reply;
  try {
    reply = "0" + work();
  } catch (const std::exception& e) {
    reply = std::string("1") + e.what();
  } catch (...) {
    reply = "1unknown error";
  }
  // _exit: the parent's exit handlers and buffers belong to the parent.
  ::_exit(WriteAll(fd, reply) ? 0 : 1);
}

long long NowMs() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

}  // namespace

std::string RunIsolated(const std::function<std::string()>& work, int timeoutMs) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) throw Error("cannot start the reader process");
  const pid_t pid = ::fork();
  if (pid < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    throw Error("cannot start the reader process");
  }
  if (pid == 0) {
    ::close(fds[0]);
    RunChild(work, fds[1]);
  }
  ::close(fds[1]);

  std::string reply;
  bool timedOut = false;
  const long long deadline = NowMs() + timeoutMs;
  char buf[65536];
  for (;;) {
    const long long left = deadline - NowMs();
    if (left <= 0) {
      timedOut = true;
      break;
    }
    pollfd p{fds[0], POLLIN, 0};
    const int r = ::poll(&p, 1, static_cast<int>(left));
    if (r < 0 && errno == EINTR) continue;
    if (r == 0) continue;  // the deadline is checked at the top
    const ssize_t n = ::read(fds[0], buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    reply.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fds[0]);
  if (timedOut) ::kill(pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (timedOut) throw Error("the reader took too long and was stopped");
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || reply.empty())
    throw Error("the reader stopped on a damaged file");
  if (reply[0] == '1') throw Error(reply.substr(1));
  return reply.substr(1);
}

}  // namespace quo
