#include "platform/libarchive/libarchive_rar.h"

#include <cstdint>
#include <memory>
#include <string_view>

#include "core/paths.h"
#include "platform/libarchive/libarchive_system.h"

namespace quo {

class RarArchive {
 public:
  ~RarArchive() {
    if (writer != nullptr) archive_write_free(writer);
    if (reader != nullptr) archive_read_free(reader);
  }

  archive* reader = nullptr;
  archive* writer = nullptr;
  archive_entry* entry = nullptr;  // the current entry, owned by the reader
  std::string path;                // its path, "/" separated
  bool processed = false;          // ProcessFile already ran for the current entry
  int ended = 0;                   // non-zero once the walk is over: the code to repeat
  std::string password;            // kept, but libarchive cannot decrypt RAR
  ExtractFolder folder;            // where the entries are written
};

namespace {

constexpr std::size_t kReadBlock = 64 * 1024;

bool IsDriveLetter(const std::string& p) {
  return p.size() >= 2 && p[1] == ':' &&
         ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
}

// A path that names something strictly below the folder it is appended to: not empty, not
// absolute, no drive letter, no "." or ".." component (an entry "." or "lib/." would otherwise
// stand for the folder itself, and a file entry would replace it).
bool IsSafeRelative(const std::string& rel) {
  if (rel.empty() || rel[0] == '/' || IsDriveLetter(rel)) return false;
  std::size_t start = 0;
  while (start <= rel.size()) {
    std::size_t end = rel.find('/', start);
    if (end == std::string::npos) end = rel.size();
    const std::string_view part(rel.data() + start, end - start);
    if (part == "." || part == "..") return false;
    start = end + 1;
  }
  return true;
}

bool Refused(archive_entry* e) {
  // A link's target may have no form in the current character set: each form is asked for.
  if (archive_entry_hardlink(e) != nullptr || archive_entry_hardlink_utf8(e) != nullptr ||
      archive_entry_hardlink_w(e) != nullptr || archive_entry_symlink(e) != nullptr ||
      archive_entry_symlink_utf8(e) != nullptr || archive_entry_symlink_w(e) != nullptr)
    return true;
  const auto type = archive_entry_filetype(e);
  return type != AE_IFREG && type != AE_IFDIR;
}

// Reads the current entry's data, handing each block to sink; stops on the first failure.
template <typename Sink>
int CopyData(archive* reader, std::uint64_t limit, Sink&& sink) {
  for (;;) {
    const void* buf = nullptr;
    std::size_t size = 0;
    la_int64_t offset = 0;
    const int r = archive_read_data_block(reader, &buf, &size, &offset);
    if (r == ARCHIVE_EOF) return kRarSuccess;
    if (r < ARCHIVE_WARN) return kRarBadData;
    if (offset < 0 || static_cast<std::uint64_t>(offset) + size > limit) return kRarTooLarge;
    if (!sink(buf, size, offset)) return kRarWriteFailed;
  }
}

// Writes the entry at rel inside dest.
int Extract(RarArchive& a, std::uint64_t limit, const std::string& dest, const std::string& rel,
            bool directory) {
  if (a.writer == nullptr) a.writer = archive_write_disk_new();
  // A file keeps the permission bits stored in the archive, never setuid, setgid or sticky; a
  // folder gets the umask's, like the folders made on the way. A link or file standing at an
  // entry's name is removed, never followed.
  archive_write_disk_set_options(a.writer, ExtractFolder::SecureOptions() | ARCHIVE_EXTRACT_TIME |
                                               (directory ? 0 : ARCHIVE_EXTRACT_PERM));
  // The entry is ours until the next header: point it at the target in place.
  archive_entry_set_perm(a.entry, archive_entry_perm(a.entry) & 0777);
  struct Left {
    ExtractFolder& folder;
    ~Left() { folder.Leave(); }
  } left{a.folder};
  if (!a.folder.Enter(dest, rel, a.entry)) return kRarCreateFailed;
  const int h = archive_write_header(a.writer, a.entry);
  if (h < ARCHIVE_WARN) {
    archive_write_finish_entry(a.writer);
    return kRarCreateFailed;
  }
  // Never read the data of a folder entry: libarchive's readers do not expect it.
  int rc = directory
               ? kRarSuccess
               : CopyData(a.reader, limit, [&](const void* buf, std::size_t n, la_int64_t off) {
                   return archive_write_data_block(a.writer, buf, n, off) >= ARCHIVE_WARN;
                 });
  if (archive_write_finish_entry(a.writer) < ARCHIVE_WARN && rc == kRarSuccess)
    rc = kRarWriteFailed;
  if (rc != kRarSuccess && !directory) a.folder.RemoveEntered();
  return rc;
}

}  // namespace

LibarchiveRar::LibarchiveRar() : LibarchiveRar(Options{}) {}
LibarchiveRar::LibarchiveRar(Options options) : options_(options) { PrepareEntryNames(); }

RarArchive* LibarchiveRar::OpenArchive(RarOpenArchiveData& data) {
  data.OpenResult = 0;
  auto a = std::make_unique<RarArchive>();
  a->reader = archive_read_new();
  archive_read_support_format_rar(a->reader);
  archive_read_support_format_rar5(a->reader);
  if (OpenArchiveFile(a->reader, data.ArcName, kReadBlock) != ARCHIVE_OK) {
    data.OpenResult = IsReadable(data.ArcName) ? kRarUnknownFormat : kRarOpenFailed;
    return nullptr;
  }
  return a.release();
}

void LibarchiveRar::SetPassword(RarArchive* a, const std::string& password) {
  // libarchive takes a passphrase only before opening and cannot decrypt RAR anyway: encrypted
  // entries are refused by ProcessFile.
  if (a != nullptr) a->password = password;
}

int LibarchiveRar::ReadHeader(RarArchive* a, RarHeaderData& header) {
  header = RarHeaderData{};
  if (a == nullptr) return kRarBadCall;
  if (a->ended != 0) return a->ended;
  a->entry = nullptr;
  a->processed = false;
  archive_entry* e = nullptr;
  const int r = archive_read_next_header(a->reader, &e);
  if (r == ARCHIVE_EOF) return a->ended = kRarEndArchive;
  // After ARCHIVE_FAILED the reader's position is not trustworthy: stop reading headers.
  if (r < ARCHIVE_WARN || e == nullptr) return a->ended = kRarBadArchive;
  a->entry = e;
  a->path = Slashes(EntryName(a->reader, e));
  header.FileName = a->path;
  header.Directory = archive_entry_filetype(e) == AE_IFDIR;
  return kRarSuccess;
}

int LibarchiveRar::ProcessFile(RarArchive* a, int operation, const std::string& destPath,
                               const std::string& destName) {
  if (a == nullptr || a->entry == nullptr || a->processed) return kRarBadCall;
  a->processed = true;
  archive_entry* e = a->entry;
  if (operation == kRarSkip) return kRarSuccess;  // the next header read skips the data
  if (Refused(e)) return kRarCreateFailed;
  const bool directory = archive_entry_filetype(e) == AE_IFDIR;
  if (!directory && archive_entry_is_data_encrypted(e)) return kRarMissingPassword;
  if (archive_entry_size_is_set(e) &&
      static_cast<std::uint64_t>(archive_entry_size(e)) > options_.maxEntryBytes)
    return kRarTooLarge;
  if (operation == kRarTest)
    return directory ? kRarSuccess
                     : CopyData(a->reader, options_.maxEntryBytes,
                                [](const void*, std::size_t, la_int64_t) { return true; });
  if (operation != kRarExtract) return kRarBadCall;

  // The target must be the destination folder followed by a safe relative path, and the entry's
  // own name must be safe too (an absolute name would otherwise hide behind a joined path).
  const std::string dest = WithSlash(Slashes(destPath));
  const std::string name = Slashes(destName);
  if (destPath.empty() || name.compare(0, dest.size(), dest) != 0) return kRarCreateFailed;
  const std::string rel = name.substr(dest.size());
  if (!IsSafeRelative(rel) || !IsSafeRelative(a->path)) return kRarCreateFailed;
  if (!directory && rel.back() == '/') return kRarCreateFailed;  // a file needs a name
  return Extract(*a, options_.maxEntryBytes, dest, rel, directory);
}

int LibarchiveRar::CloseArchive(RarArchive* a) {
  delete a;
  return kRarSuccess;
}

}  // namespace quo
