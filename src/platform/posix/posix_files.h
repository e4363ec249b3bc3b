// Files service on POSIX.
#pragma once

#include "platform/files.h"

namespace quo {

class PosixFiles : public Files {
 public:
  bool IsOrdinaryFile(const std::string& path) override;
  bool IsDirectory(const std::string& path) override;
  std::optional<std::int64_t> FileSize(const std::string& path) override;
  std::optional<FileStamp> Stamp(const std::string& path) override;
  bool NameExists(const std::string& path) override;
  std::optional<Room> FreeSpace(const std::string& dir) override;
  bool IsAbsolutePath(const std::string& path) override { return !path.empty() && path[0] == '/'; }
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

 private:
  void WriteAtomicMode(const std::string& path, const std::string& content, unsigned mode);
};

}  // namespace quo
