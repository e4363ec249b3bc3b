// Files service on Windows. Paths may use "/" or "\"; names are UTF-8. The contract of each
// operation is the one of platform/files.h, with what Windows makes of it:
// - a name starting with "." is hidden, as on Linux (the hidden attribute plays no part);
// - an absolute path starts at a drive ("C:/", "C:\") or a share ("//server/share"); "/x" alone is
//   relative to the current drive, so not absolute;
// - there are no mode bits: a copy takes the attributes (read-only, hidden, system, archive) of
//   its "like" file when that file exists, else it is a plain file; a read-only target is
//   replaced like any other, as rename(2) does;
// - renames are made durable by the rename itself (MOVEFILE_WRITE_THROUGH); SyncDirectory also
//   flushes the folder when the system lets it open one, and asks nothing more;
// - a private file has a protected access list (none inherited) granting full access to this
//   user, SYSTEM and Administrators; it is refused when another account owns it, or when its
//   access list is missing (NULL: open to all) or lets any other account write, change or delete
//   it.
#pragma once

#include "platform/files.h"

namespace quo {

class Win32Files : public Files {
 public:
  bool IsOrdinaryFile(const std::string& path) override;
  bool IsDirectory(const std::string& path) override;
  std::optional<std::int64_t> FileSize(const std::string& path) override;
  std::optional<FileStamp> Stamp(const std::string& path) override;
  bool NameExists(const std::string& path) override;
  std::optional<Room> FreeSpace(const std::string& dir) override;
  bool IsAbsolutePath(const std::string& path) override;
  bool MakeDirectory(const std::string& path) override;
  using Files::Copy;
  void Copy(const std::string& from, const std::string& to, const CopyMode& mode) override;
  void SyncFile(const std::string& path) override;
  void SyncDirectory(const std::string& dir) override;
  void Rename(const std::string& from, const std::string& to) override;
  void Remove(const std::string& path) override;
  std::string FirstFile(const std::string& dir) override;
  std::vector<std::string> ListFiles(const std::string& dir) override;
  void AppendLine(const std::string& path, const std::string& text) override;
  std::optional<std::string> ReadAll(const std::string& path) override;
  void WriteAtomic(const std::string& path, const std::string& content) override;
  bool IsLink(const std::string& path) override;
  void WritePrivate(const std::string& path, const std::string& content) override;
  std::unique_ptr<Reader> OpenPrivate(const std::string& path) override;
};

}  // namespace quo
