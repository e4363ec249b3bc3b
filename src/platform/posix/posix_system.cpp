#include "platform/posix/posix_system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace quo {

std::string PosixSystem::ProgramPath() {
  std::vector<char> buf(4096);
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) return "";
    if (static_cast<std::size_t>(n) < buf.size()) return std::string(buf.data(), n);
    buf.resize(buf.size() * 2);
  }
}

std::optional<std::string> PosixSystem::GetEnv(const std::string& name) {
  const char* v = std::getenv(name.c_str());
  if (v == nullptr) return std::nullopt;
  return std::string(v);
}

void PosixSystem::SleepMs(int ms) {
  if (ms <= 0) return;
  timespec ts{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
  while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

DateTime PosixSystem::Now() {
  const time_t t = ::time(nullptr);
  tm lt{};
  ::localtime_r(&t, &lt);
  return DateTime{lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday, lt.tm_hour, lt.tm_min, lt.tm_sec};
}

// The lock is an advisory lock on the executable file itself: one lock per program copy, and
// nothing is created on disk. The descriptor stays open (and the lock held) until the process
// ends; it is not passed to children.
bool PosixSystem::AcquireSingleInstance() {
  if (lockFd_ >= 0) return true;
  const int fd = ::open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return true;  // nothing to lock on: do not refuse to run
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return errno != EWOULDBLOCK;
  }
  lockFd_ = fd;
  return true;
}

}  // namespace quo
