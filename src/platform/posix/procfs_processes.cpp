#include "platform/posix/procfs_processes.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fstream>
#include <sstream>

#include "core/error.h"
#include "core/paths.h"

extern char** environ;

namespace quo {

namespace {

bool ParsePid(const char* name, std::uint32_t& pid) {
  if (*name == '\0') return false;
  unsigned long v = 0;
  for (const char* p = name; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    v = v * 10 + static_cast<unsigned long>(*p - '0');
    if (v > INT_MAX) return false;
  }
  pid = static_cast<std::uint32_t>(v);
  return pid != 0;
}

bool Readable(std::ifstream& in) { return in.is_open() && in.good(); }

}  // namespace

std::vector<std::uint32_t> ProcfsProcesses::ListIds() {
  DIR* d = ::opendir(root_.c_str());
  if (d == nullptr) throw Error("Cannot list processes: " + std::string(std::strerror(errno)));
  std::vector<std::uint32_t> ids;
  while (const dirent* e = ::readdir(d)) {
    std::uint32_t pid = 0;
    if (ParsePid(e->d_name, pid)) ids.push_back(pid);
  }
  ::closedir(d);
  std::sort(ids.begin(), ids.end());
  return ids;
}

bool ProcfsProcesses::ReadStatus(std::uint32_t pid, ProcessEntry& out) {
  std::ifstream in(root_ + "/" + std::to_string(pid) + "/status");
  if (!Readable(in)) return false;
  bool havePpid = false, haveUid = false;
  std::string line;
  while (std::getline(in, line) && !(havePpid && haveUid)) {
    std::istringstream fields(line);
    std::string tag;
    fields >> tag;
    if (tag == "PPid:") havePpid = static_cast<bool>(fields >> out.parentPid);
    if (tag == "Uid:") haveUid = static_cast<bool>(fields >> out.realUid);
  }
  out.pid = pid;
  return havePpid && haveUid;
}

std::string ProcfsProcesses::ExeLinkName(std::uint32_t pid) {
  return BaseName(ExecutablePath(pid));
}

// The target of /proc/PID/exe, " (deleted)" dropped.
std::string ProcfsProcesses::ExecutablePath(std::uint32_t pid) {
  const std::string link = root_ + "/" + std::to_string(pid) + "/exe";
  std::vector<char> buf(PATH_MAX + 1);
  const ssize_t n = ::readlink(link.c_str(), buf.data(), buf.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= buf.size()) return "";
  std::string target(buf.data(), static_cast<std::size_t>(n));
  static const std::string kDeleted = " (deleted)";
  if (target.size() > kDeleted.size() &&
      target.compare(target.size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0)
    target.resize(target.size() - kDeleted.size());
  return target;
}

std::string ProcfsProcesses::CmdlineName(std::uint32_t pid) {
  std::ifstream in(root_ + "/" + std::to_string(pid) + "/cmdline", std::ios::binary);
  std::string first;
  if (!in.is_open() || !std::getline(in, first, '\0')) return "";
  const auto space = first.find(' ');
  if (space != std::string::npos) first.resize(space);
  return BaseName(first);
}

std::vector<ProcessEntry> ProcfsProcesses::Snapshot() {
  std::vector<ProcessEntry> out;
  for (const std::uint32_t pid : ListIds()) {
    ProcessEntry e;
    if (!ReadStatus(pid, e)) continue;  // ended meanwhile
    e.exeName = ExeLinkName(pid);
    if (e.exeName.empty()) e.exeName = CmdlineName(pid);
    out.push_back(std::move(e));
  }
  return out;
}

std::optional<ProcessEntry> ProcfsProcesses::Describe(std::uint32_t pid) {
  ProcessEntry e;
  if (pid == 0 || !ReadStatus(pid, e)) return std::nullopt;
  e.exeName = ExeLinkName(pid);
  return e;
}

ProcessEntry ProcfsProcesses::Self() {
  ProcessEntry e;
  e.pid = static_cast<std::uint32_t>(::getpid());
  e.parentPid = static_cast<std::uint32_t>(::getppid());
  e.realUid = static_cast<std::uint32_t>(::getuid());
  e.exeName = ExeLinkName(e.pid);
  return e;
}

bool ProcfsProcesses::Terminate(std::uint32_t pid) {
  // kill(2) reads 0 and negative values as process groups: never pass them on.
  if (pid == 0 || pid > static_cast<std::uint32_t>(INT_MAX)) return false;
  return ::kill(static_cast<pid_t>(pid), SIGKILL) == 0;
}

void ProcfsProcesses::ReapStarted() {
  std::erase_if(started_, [](pid_t p) {
    int status = 0;
    return ::waitpid(p, &status, WNOHANG) != 0;
  });
}

pid_t ProcfsProcesses::Spawn(const std::vector<std::string>& argv) {
  ReapStarted();
  if (argv.empty() || argv[0].empty()) throw Error("Cannot start an empty command");
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attr;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attr);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  // A fresh session, no blocked signals, default dispositions (the window library may ignore some).
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &all);
  posix_spawnattr_setflags(&attr,
                           POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t pid = 0;
  const int rc = ::posix_spawnp(&pid, args[0], &actions, &attr, args.data(), environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) throw Error("Cannot start " + argv[0] + ": " + std::strerror(rc));
  started_.push_back(pid);
  return pid;
}

void ProcfsProcesses::StartDetached(const std::vector<std::string>& argv) { Spawn(argv); }

bool ProcfsProcesses::StartAndWait(const std::vector<std::string>& argv, int timeoutMs) {
  const pid_t pid = Spawn(argv);
  for (int waited = 0;; waited += 5) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      std::erase(started_, pid);
      return true;
    }
    if (waited >= timeoutMs) return false;
    timespec ts{0, 5 * 1000000L};
    ::nanosleep(&ts, nullptr);
  }
}

}  // namespace quo
