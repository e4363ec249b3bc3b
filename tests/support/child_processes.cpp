#include "support/child_processes.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "core/error.h"
#include "support/temp_dir.h"

namespace quo::test {

int RunProgram(std::vector<std::string> argv) {
  std::vector<char*> args;
  for (std::string& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  pid_t pid = 0;
  int status = 0;
  if (::posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return -1;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}


static int childrenMade = 0;

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

bool ChildProcesses::Terminate(std::uint32_t pid) {
  terminated.push_back(pid);
  if (recordOnly) return true;
  return pid != static_cast<std::uint32_t>(::getpid()) && Visible(pid) &&
         ProcfsProcesses::Terminate(pid);
}

void ChildProcesses::StartDetached(const std::vector<std::string>& argv) {
  started.push_back(argv);
  if (waitDetached)
    ProcfsProcesses::StartAndWait(argv, 5000);
  else
    ProcfsProcesses::StartDetached(argv);
}

bool ChildProcesses::StartAndWait(const std::vector<std::string>& argv, int timeoutMs) {
  started.push_back(argv);
  return ProcfsProcesses::StartAndWait(argv, timeoutMs);
}

SleepingChild::SleepingChild(const std::string& dir, const std::string& prefix, int uid)
    : name_(prefix + std::to_string(::getpid()) + "_" + std::to_string(++childrenMade)),
      path_(dir + name_) {
  std::filesystem::copy_file("/bin/sleep", path_);
  ::chmod(path_.c_str(), 0755);
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    if (uid >= 0 && (::setresgid(uid, uid, uid) != 0 || ::setresuid(uid, uid, uid) != 0))
      ::_exit(126);
    ::execl(path_.c_str(), path_.c_str(), "600", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  // Wait until the child runs the copy, so a walk sees it by name. Its command line tells, and
  // is readable whoever the child runs as.
  const std::string cmdline = "/proc/" + std::to_string(pid_) + "/cmdline";
  for (int i = 0; i < 1000 && Running(); ++i) {
    if (ReadFile(cmdline).c_str() == path_) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  Stop();
  throw std::runtime_error("the child never ran " + path_ + " (status " +
                           std::to_string(status_) + ")");
}

SleepingChild::~SleepingChild() { Stop(); }

void SleepingChild::Stop() {
  if (pid_ > 0 && !reaped_) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status_, 0);
    reaped_ = true;
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
