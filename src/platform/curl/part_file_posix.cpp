#include "platform/curl/part_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quo {

std::FILE* OpenPartFile(const std::string& path, bool resume, std::int64_t maxSize,
                        std::int64_t& offset) {
  offset = 0;
  int fd = -1;
  if (resume) {
    fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1 &&
        st.st_uid == ::geteuid() && (maxSize < 0 || st.st_size <= maxSize)) {
      offset = st.st_size;
    } else if (fd >= 0) {
      ::close(fd);
      fd = -1;
    }
  }
  if (fd < 0) {
    ::unlink(path.c_str());
    fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  }
  if (fd < 0) return nullptr;
  std::FILE* file = ::fdopen(fd, "r+b");
  if (file == nullptr) {
    ::close(fd);
    ::unlink(path.c_str());
  }
  return file;
}

bool SizePartFile(std::FILE* file, std::int64_t size) {
  std::fflush(file);
  const int fd = ::fileno(file);
  struct stat st {};
  return ::fstat(fd, &st) == 0 && (st.st_size == size || ::ftruncate(fd, size) == 0);
}

std::int64_t ReadPartFile(std::FILE* file, void* buffer, std::size_t n, std::int64_t offset) {
  return ::pread(::fileno(file), buffer, n, offset);
}

bool SeekPartFile(std::FILE* file, std::int64_t offset) {
  return ::fseeko(file, offset, SEEK_SET) == 0;
}

bool RenamePartFile(const std::string& path, const std::string& target) {
  return std::rename(path.c_str(), target.c_str()) == 0;
}

void RemovePartFile(const std::string& path) { std::remove(path.c_str()); }

}  // namespace quo
