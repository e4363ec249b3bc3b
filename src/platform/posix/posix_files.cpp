#include "platform/posix/posix_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/paths.h"

namespace quo {

namespace {

// The folder of path as the messages name it: without its final "/" ("/" for the root, "." for
// none).
std::string DirName(const std::string& path) {
  std::string dir = FolderOf(path);
  if (dir.size() > 1) dir.pop_back();
  return dir.empty() ? "." : dir;
}

[[noreturn]] void Fail(const std::string& what, const std::string& path, int err) {
  throw Error(what + " " + path + ": " + std::strerror(err));
}

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() {
    const int f = fd_;
    fd_ = -1;
    return f;
  }

 private:
  int fd_;
};

void WriteFully(int fd, const char* data, std::size_t size, const std::string& path) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail("Cannot write", path, errno);
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

// Writes through the temporary file tmp, open as out, then renames it over target. The
// producer writes the bytes and sets the mode; tmp never outlives a failure.
template <typename Producer>
void ReplaceThrough(Fd& out, const std::string& tmp, const std::string& target,
                    Producer&& produce) {
  try {
    produce(out.get());
    if (::fsync(out.get()) != 0) Fail("Cannot write", tmp, errno);
    if (::close(out.release()) != 0) Fail("Cannot write", tmp, errno);
    if (::rename(tmp.c_str(), target.c_str()) != 0) Fail("Cannot replace", target, errno);
  } catch (...) {
    ::unlink(tmp.c_str());
    throw;
  }
}

// The permission bits a new file gets in any folder: 0666 less the umask. The umask can only be
// read by setting it, so it is put back at once.
mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

bool PosixFiles::IsOrdinaryFile(const std::string& path) {
  struct stat st{};
  if (path.empty() || path.back() == '/' || ::stat(path.c_str(), &st) != 0) return false;
  return S_ISREG(st.st_mode) && BaseName(path).front() != '.';
}

std::optional<std::int64_t> PosixFiles::FileSize(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return static_cast<std::int64_t>(st.st_size);
}

std::optional<Files::FileStamp> PosixFiles::Stamp(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return FileStamp{static_cast<std::uint64_t>(st.st_size), static_cast<std::uint64_t>(st.st_ino),
                   std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec};
}

bool PosixFiles::NameExists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

std::optional<Files::Room> PosixFiles::FreeSpace(const std::string& dir) {
  struct statvfs fs {};
  struct stat st {};
  if (::statvfs(dir.c_str(), &fs) != 0 || ::stat(dir.c_str(), &st) != 0) return std::nullopt;
  return Room{static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize,
              static_cast<std::uint64_t>(st.st_dev)};
}

bool PosixFiles::IsDirectory(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PosixFiles::MakeDirectory(const std::string& path) {
  std::string p = path;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return !p.empty() && ::mkdir(p.c_str(), 0777) == 0;
}

void PosixFiles::Copy(const std::string& from, const std::string& to, const CopyMode& mode) {
  Fd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (in.get() < 0) Fail("Cannot open", from, errno);
  struct stat st{};
  if (::fstat(in.get(), &st) != 0) Fail("Cannot read", from, errno);
  if (!S_ISREG(st.st_mode)) throw Error("Not a file: " + from);

  struct stat like{};
  const bool hasLike =
      !mode.like.empty() && ::stat(mode.like.c_str(), &like) == 0 && S_ISREG(like.st_mode);
  mode_t bits = 0;
  if (hasLike) {
    bits = like.st_mode;
  } else if (mode.keepSource) {
    bits = st.st_mode;
  } else {
    bits = NewFileMode();
    if (mode.executable) bits |= (bits & 0444) >> 2;  // execute wherever reading is allowed
  }
  bits &= 0777;  // never setuid, setgid or sticky

  // A leftover of a copy cut short, or a link planted there, is removed (never followed);
  // whatever cannot be removed makes the exclusive creation fail.
  const std::string tmp = TempCopyName(to);
  ::unlink(tmp.c_str());
  Fd out(::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (out.get() < 0) Fail("Cannot create a file in", DirName(to), errno);
  ReplaceThrough(out, tmp, to, [&](int fd) {
    std::vector<char> buf(1 << 20);
    for (;;) {
      const ssize_t n = ::read(in.get(), buf.data(), buf.size());
      if (n < 0) {
        if (errno == EINTR) continue;
        Fail("Cannot read", from, errno);
      }
      if (n == 0) break;
      WriteFully(fd, buf.data(), static_cast<std::size_t>(n), tmp);
    }
    // The owner first: changing it may clear mode bits.
    if (hasLike && ::geteuid() == 0 && ::fchown(fd, like.st_uid, like.st_gid) != 0)
      Fail("Cannot set the owner of", tmp, errno);
    if (::fchmod(fd, bits) != 0) Fail("Cannot set the mode of", tmp, errno);
  });
}

void PosixFiles::SyncFile(const std::string& path) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  if (fd.get() < 0 || ::fsync(fd.get()) != 0) Fail("Cannot sync", path, errno);
}

void PosixFiles::SyncDirectory(const std::string& dir) {
  Fd fd(::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() < 0 || ::fsync(fd.get()) != 0) Fail("Cannot sync", dir, errno);
}

void PosixFiles::Rename(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) Fail("Cannot rename", from, errno);
}

void PosixFiles::Remove(const std::string& path) {
  struct stat st{};
  if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) throw Error("Is a folder: " + path);
  if (::unlink(path.c_str()) != 0) Fail("Cannot delete", path, errno);
}

std::string PosixFiles::FirstFile(const std::string& dir) {
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (d == nullptr) return "";
  std::string base = dir.empty() ? "" : dir;
  if (!base.empty() && base.back() != '/') base += '/';
  std::string best;
  while (const dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    if (name.empty() || name[0] == '.') continue;
    if (!best.empty() && name >= best) continue;
    if (IsOrdinaryFile(base + name)) best = name;
  }
  ::closedir(d);
  return best;
}

std::vector<std::string> PosixFiles::ListFiles(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (d == nullptr) return names;
  std::string base = dir;
  if (!base.empty() && base.back() != '/') base += '/';
  while (const dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    if (!name.empty() && name[0] != '.' && IsOrdinaryFile(base + name)) names.push_back(name);
  }
  ::closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

void PosixFiles::AppendLine(const std::string& path, const std::string& text) {
  // Never through a link, and never waiting: a FIFO without a reader fails its open at once.
  Fd fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK,
               0666));
  if (fd.get() < 0) Fail("Cannot open", path, errno);
  struct stat st{};
  if (::fstat(fd.get(), &st) != 0) Fail("Cannot open", path, errno);
  if (!S_ISREG(st.st_mode)) throw Error("Not an ordinary file: " + path);
  const std::string line = text + "\r\n";
  WriteFully(fd.get(), line.data(), line.size(), path);
  if (::close(fd.release()) != 0) Fail("Cannot write", path, errno);
}

std::optional<std::string> PosixFiles::ReadAll(const std::string& path) {
  // Non-blocking open: a FIFO or device standing where a file should be must not hang us.
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) return std::nullopt;
  struct stat st{};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  std::string out;
  out.reserve(static_cast<std::size_t>(st.st_size));
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (n == 0) return out;
    out.append(buf, static_cast<std::size_t>(n));
  }
}

void PosixFiles::WriteAtomic(const std::string& path, const std::string& content) {
  struct stat st{};
  WriteAtomicMode(path, content, ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644);
}

void PosixFiles::WritePrivate(const std::string& path, const std::string& content) {
  WriteAtomicMode(path, content, 0600);
}

bool PosixFiles::IsLink(const std::string& path) {
  struct stat st{};
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

namespace {

class FdReader : public Files::Reader {
 public:
  FdReader(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    for (;;) {
      const ssize_t n = ::read(fd_.get(), buffer, size);
      if (n >= 0) return static_cast<std::size_t>(n);
      if (errno != EINTR) Fail("Cannot read", path_, errno);
    }
  }

 private:
  Fd fd_;
  std::string path_;
};

}  // namespace

std::unique_ptr<Files::Reader> PosixFiles::OpenPrivate(const std::string& path) {
  // Never through a link, and never waiting on a FIFO or a device put there.
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
  if (fd.get() < 0) {
    if (errno == ENOENT) return nullptr;
    if (errno == ELOOP) throw Error("A link: " + path);
    Fail("Cannot open", path, errno);
  }
  struct stat st{};
  if (::fstat(fd.get(), &st) != 0) Fail("Cannot read", path, errno);
  if (!S_ISREG(st.st_mode)) throw Error("Not an ordinary file: " + path);
  if (st.st_nlink != 1) throw Error("A file with more than one name: " + path);
  if (st.st_uid != ::geteuid() && st.st_uid != 0)
    throw Error("Owned by another user (" + std::to_string(st.st_uid) + "): " + path);
  if ((st.st_mode & 022) != 0) throw Error("Others may write it: " + path);
  return std::make_unique<FdReader>(fd.release(), path);
}

void PosixFiles::WriteAtomicMode(const std::string& path, const std::string& content,
                                 unsigned mode) {
  std::string tmp = DirName(path) + "/." + BaseName(path) + ".XXXXXX";
  std::vector<char> name(tmp.begin(), tmp.end());
  name.push_back('\0');
  Fd out(::mkstemp(name.data()));
  if (out.get() < 0) Fail("Cannot create a file in", DirName(path), errno);
  tmp.assign(name.data());
  ReplaceThrough(out, tmp, path, [&](int fd) {
    WriteFully(fd, content.data(), content.size(), tmp);
    if (::fchmod(fd, static_cast<mode_t>(mode)) != 0) Fail("Cannot write", tmp, errno);
  });
}

}  // namespace quo
