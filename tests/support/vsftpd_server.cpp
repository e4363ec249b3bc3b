#include "support/vsftpd_server.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "core/text.h"

extern char** environ;

namespace quo::test {

namespace {

// Starts args[0] in a process group of its own, its output appended to outPath; -1 on failure.
pid_t Spawn(std::vector<std::string> args, const std::string& outPath) {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                   0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
  pid_t pid = -1;
  if (::posix_spawn(&pid, argv[0], &actions, &attr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  return pid;
}

// Binds (port 0: a free port) or connects a loopback socket; the port, or 0 on failure.
int Loopback(int port, bool bind) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  auto* sa = reinterpret_cast<sockaddr*>(&a);
  const bool ok = bind ? ::bind(fd, sa, len) == 0 && ::getsockname(fd, sa, &len) == 0
                       : ::connect(fd, sa, len) == 0;
  ::close(fd);
  return ok ? ntohs(a.sin_port) : 0;
}

}  // namespace

VsftpdServer::VsftpdServer(const std::string& root) {
  const std::string w = work_.path(), out = w + "output.txt";
  // A key and a certificate: two authorities, then the server's, signed by the first.
  WriteFile(w + "openssl.cnf", "[req]\ndistinguished_name = dn\n[dn]\n");
  const std::string authority = " -addext basicConstraints=critical,CA:TRUE -subj /CN=";
  for (const std::string& made :
       {"ca" + authority + "TestAuthority", "other" + authority + "OtherAuthority",
        "server -addext subjectAltName=IP:127.0.0.1 -subj /CN=127.0.0.1 -CA " + ca() + " -CAkey " +
            w + "ca.key"}) {
    const std::string name = made.substr(0, made.find(' '));
    const std::vector<std::string> args = Split(
        "/usr/bin/openssl req -x509 -nodes -days 2 -newkey ec -pkeyopt "
        "ec_paramgen_curve:prime256v1 -config " +
            w + "openssl.cnf -keyout " + w + name + ".key -out " + w + name + ".pem" +
            made.substr(name.size()),
        ' ');
    int status = -1;
    const pid_t pid = Spawn(args, out);
    if (pid <= 0 || ::waitpid(pid, &status, 0) != pid || status != 0)
      throw std::runtime_error("openssl failed: " + ReadFile(out));
  }
  // Run as this user (no chroot, no other account), anonymous only, never in clear.
  MakeDirs(w + "empty");
  port_ = Loopback(0, true);
  std::string conf =
      "listen=YES listen_ipv6=NO listen_address=127.0.0.1 background=NO run_as_launching_user=YES "
      "seccomp_sandbox=NO anonymous_enable=YES local_enable=NO no_anon_password=YES "
      "ssl_enable=YES allow_anon_ssl=YES force_anon_logins_ssl=YES force_anon_data_ssl=YES "
      "xferlog_enable=YES log_ftp_protocol=YES listen_port=" +
      std::to_string(port_) + " anon_root=" + root + " secure_chroot_dir=" + w +
      "empty rsa_cert_file=" + w + "server.pem rsa_private_key_file=" + w +
      "server.key vsftpd_log_file=" + w + "log.txt ";
  std::replace(conf.begin(), conf.end(), ' ', '\n');
  WriteFile(w + "vsftpd.conf", conf);
  pid_ = Spawn({"/usr/sbin/vsftpd", w + "vsftpd.conf"}, out);
  for (int i = 0; i < 500 && pid_ > 0; ++i) {
    if (::waitpid(pid_, nullptr, WNOHANG) != 0) pid_ = -1;  // it ended
    if (pid_ > 0 && Loopback(port_, false) == port_) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  Stop();
  throw std::runtime_error("vsftpd did not start: " + ReadFile(out));
}

void VsftpdServer::Stop() {
  // The server and the session processes it forked share its process group.
  if (pid_ > 0 && ::kill(-pid_, SIGKILL) == 0) ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

}  // namespace quo::test
