#include "support/child_processes.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <thread>

#include "core/error.h"

extern char** environ;

namespace quo::test {

std::string RandomName(const std::string& prefix) {
  static std::mt19937_64 rng(std::random_device{}());
  static const char* kHex = "0123456789abcdef";
  std::string out = prefix;
  const std::uint64_t r = rng();
  for (int i = 0; i < 12; ++i) out += kHex[(r >> (4 * i)) & 0xF];
  return out;
}

bool ChildProcesses::Visible(std::uint32_t pid) {
  const auto self = static_cast<std::uint32_t>(::getpid());
  if (pid == self) return includeSelf_;
  ProcessEntry e;
  for (int depth = 0; depth < 64 && ReadStatus(pid, e); ++depth) {
    if (e.parentPid == self) return true;
    if (e.parentPid <= 1) return false;
    pid = e.parentPid;
  }
  return false;
}

std::vector<ProcessEntry> ChildProcesses::Snapshot() {
  if (failSnapshot) throw Error("No process snapshot");
  std::vector<ProcessEntry> out;
  for (ProcessEntry& e : ProcfsProcesses::Snapshot())
    if (Visible(e.pid)) out.push_back(std::move(e));
  return out;
}

std::vector<std::uint32_t> ChildProcesses::ListIds() {
  std::vector<std::uint32_t> out;
  for (const std::uint32_t pid : ProcfsProcesses::ListIds())
    if (Visible(pid)) out.push_back(pid);
  return out;
}

std::optional<ProcessEntry> ChildProcesses::Describe(std::uint32_t pid) {
  if (!Visible(pid)) return std::nullopt;
  return ProcfsProcesses::Describe(pid);
}

bool ChildProcesses::Terminate(std::uint32_t pid) {
  if (pid == static_cast<std::uint32_t>(::getpid()) || !Visible(pid)) {
    ++refused;
    return false;
  }
  terminated.push_back(pid);
  return ProcfsProcesses::Terminate(pid);
}

SleepingChild::SleepingChild(const std::string& dir, const std::string& prefix, int uid)
    : name_(RandomName(prefix)), path_(dir + name_) {
  std::filesystem::copy_file("/bin/sleep", path_);
  ::chmod(path_.c_str(), 0755);
  if (uid < 0) {
    char* argv[] = {const_cast<char*>(path_.c_str()), const_cast<char*>("600"), nullptr};
    if (::posix_spawn(&pid_, path_.c_str(), nullptr, nullptr, argv, environ) != 0)
      throw std::runtime_error("cannot start " + path_);
  } else {
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
      if (::setresgid(uid, uid, uid) != 0 || ::setresuid(uid, uid, uid) != 0) ::_exit(126);
      ::execl(path_.c_str(), path_.c_str(), "600", static_cast<char*>(nullptr));
      ::_exit(127);
    }
  }
  // Wait until the child runs the copy (its exe link names it), so a walk sees it by name.
  const std::string exe = "/proc/" + std::to_string(pid_) + "/exe";
  for (int i = 0; i < 500; ++i) {
    std::error_code ec;
    if (std::filesystem::read_symlink(exe, ec).filename() == name_) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

SleepingChild::~SleepingChild() {
  if (pid_ > 0 && !reaped_) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status_, 0);
  }
}

bool SleepingChild::Running() {
  if (reaped_) return false;
  if (::waitpid(pid_, &status_, WNOHANG) == pid_) reaped_ = true;
  return !reaped_;
}

bool SleepingChild::EndedByKill(int timeoutMs) {
  for (int waited = 0; Running() && waited < timeoutMs; waited += 5)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return reaped_ && WIFSIGNALED(status_) && WTERMSIG(status_) == SIGKILL;
}

}  // namespace quo::test
