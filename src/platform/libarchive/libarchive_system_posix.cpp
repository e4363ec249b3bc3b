#include "platform/libarchive/libarchive_system.h"

#include <fcntl.h>
#include <langinfo.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>

namespace quo {

// libarchive converts entry names to the character set of LC_CTYPE: without a UTF-8 locale the
// non-ASCII names come back NULL. Only LC_CTYPE is set, so numbers keep their "." everywhere.
void PrepareEntryNames() {
  static std::once_flag once;
  std::call_once(once, [] {
    std::setlocale(LC_CTYPE, "");
    const char* codeset = nl_langinfo(CODESET);
    if (codeset == nullptr || std::strcmp(codeset, "UTF-8") != 0)
      std::setlocale(LC_CTYPE, "C.UTF-8");
  });
}

int OpenArchiveFile(archive* reader, const std::string& path, std::size_t blockSize) {
  return archive_read_open_filename(reader, path.c_str(), blockSize);
}

bool IsReadable(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

std::string EntryName(archive*, archive_entry* e) {
  const char* name = archive_entry_pathname_utf8(e);
  if (name == nullptr) name = archive_entry_pathname(e);
  return name != nullptr ? name : "";
}

struct ExtractFolder::State {
  int homeFd = -1, destFd = -1;  // the caller's current folder, the destination folder
  std::string destPath, rel;
  bool entered = false;
};

ExtractFolder::ExtractFolder() : state_(std::make_unique<State>()) {}

ExtractFolder::~ExtractFolder() {
  Leave();
  if (state_->homeFd >= 0) close(state_->homeFd);
  if (state_->destFd >= 0) close(state_->destFd);
}

namespace {

int OpenFolder(const std::string& dir) {
  int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) return fd;
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  return open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

}  // namespace

// Both folders are opened once per archive; the current folder of the first call is restored
// by Leave (the program is single-threaded and never changes folder itself).
bool ExtractFolder::Enter(const std::string& dir, const std::string& rel, archive_entry* e) {
  State& s = *state_;
  Leave();
  if (s.homeFd < 0) s.homeFd = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (s.destFd < 0 || s.destPath != dir) {
    if (s.destFd >= 0) close(s.destFd);
    s.destFd = OpenFolder(dir);
    s.destPath = dir;
  }
  s.entered = s.homeFd >= 0 && s.destFd >= 0 && fchdir(s.destFd) == 0;
  s.rel = rel;
  archive_entry_set_pathname_utf8(e, rel.c_str());
  return s.entered;
}

void ExtractFolder::RemoveEntered() {
  if (state_->entered) unlink(state_->rel.c_str());
}

void ExtractFolder::Leave() {
  if (!state_->entered) return;
  if (fchdir(state_->homeFd) != 0) std::abort();  // never carry on from the wrong folder
  state_->entered = false;
}

int ExtractFolder::SecureOptions() {
  return ARCHIVE_EXTRACT_SECURE_NODOTDOT | ARCHIVE_EXTRACT_SECURE_SYMLINKS;
}

}  // namespace quo
