// Files service: the file operations the program performs. Paths use "/"; directories are
// passed with or without a trailing "/". Operations documented "throws" raise quo::Error with a
// description of the failure; the others report through their result and never throw.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/paths.h"

namespace quo {

class Files {
 public:
  virtual ~Files() = default;

  // True when path names an ordinary file (links followed) whose name does not start with "."
  // (a hidden file). Directories, devices and hidden files count as absent.
  virtual bool IsOrdinaryFile(const std::string& path) = 0;
  virtual bool IsDirectory(const std::string& path) = 0;
  // Size in bytes of the ordinary file at path (links followed); nullopt when there is none.
  virtual std::optional<std::int64_t> FileSize(const std::string& path) = 0;
  // What tells one version of an ordinary file from the next (links followed, hidden names
  // included): its size, its identity in its file system and its last modification time;
  // nullopt when path names no ordinary file. A reader that keeps what it parsed compares them.
  struct FileStamp {
    std::uint64_t size = 0, id = 0;
    std::int64_t modified = 0;  // in the system's own unit
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
  };
  virtual std::optional<FileStamp> Stamp(const std::string& path) = 0;
  // True when anything bears the name: a file of any kind, a folder, a link (even to nothing).
  virtual bool NameExists(const std::string& path) = 0;
  // The room left for this program in the file system that holds dir, and which file system it
  // is (two folders with the same volume share their room); nullopt when it cannot be told.
  struct Room {
    std::uint64_t bytes = 0, volume = 0;
  };
  virtual std::optional<Room> FreeSpace(const std::string& dir) = 0;
  // True when path names its place without the current directory: it starts at the root of the
  // file system (a drive path or a network share on Windows). Looks at the text only.
  virtual bool IsAbsolutePath(const std::string& path) = 0;
  // Creates one directory level. False when it failed (existing directory included).
  virtual bool MakeDirectory(const std::string& path) = 0;
  // The mode a copy gives its target. The setuid, setgid and sticky bits are never given.
  struct CopyMode {
    std::string like;         // when this file exists: its mode (and, as root, owner and group)
    bool keepSource = false;  // else: the source's mode (a file extracted from an archive)
    bool executable = false;  // else: a new file's mode in that folder (umask), plus execute
  };
  // Copies a file's bytes over target (throws). The target is complete or unchanged: the bytes
  // go to TempCopyName(to), created exclusively (a leftover there is removed first, a link is
  // never followed), synced, then renamed over target; the temporary file never outlives a
  // failure. Without a mode the target keeps its own mode, or takes the source's when new.
  virtual void Copy(const std::string& from, const std::string& to, const CopyMode& mode) = 0;
  void Copy(const std::string& from, const std::string& to) {
    Copy(from, to, CopyMode{.like = to, .keepSource = true});
  }
  // The temporary name of a copy to path: "." + its name + ".quo-tmp", beside it.
  static std::string TempCopyName(const std::string& path) {
#if defined(_WIN32)
    constexpr std::string_view separators = kAnySlash;
#else
    constexpr std::string_view separators = kSlash;
#endif
    return FolderOf(path, separators) + "." + BaseName(path, separators) + ".quo-tmp";
  }
  // Makes a file's data, and a folder's entries (names created, renamed or removed), durable
  // (throws).
  virtual void SyncFile(const std::string& path) = 0;
  virtual void SyncDirectory(const std::string& dir) = 0;
  // Renames (moves) a file (throws).
  virtual void Rename(const std::string& from, const std::string& to) = 0;
  // Deletes a file (throws).
  virtual void Remove(const std::string& path) = 0;
  // Name (not path) of the first ordinary, non-hidden file of dir in name order; "" for none.
  virtual std::string FirstFile(const std::string& dir) = 0;
  // Names of every ordinary, non-hidden file of dir in name order; empty when there are none or
  // dir cannot be read. One listing however many files, where FirstFile would need one each.
  virtual std::vector<std::string> ListFiles(const std::string& dir) = 0;
  // Appends text and CR LF to the file, creating it when missing (throws, also when the name is
  // a link, a folder, a device or a FIFO: never followed, never waited on).
  virtual void AppendLine(const std::string& path, const std::string& text) = 0;
  // Whole content of a file; nullopt when it cannot be read.
  virtual std::optional<std::string> ReadAll(const std::string& path) = 0;
  // Replaces the file's content at once: a temporary file in the same folder renamed over it
  // (throws). Readers never see a torn file.
  virtual void WriteAtomic(const std::string& path, const std::string& content) = 0;
  // True when path itself is a symbolic link, or on Windows any reparse point (not followed).
  virtual bool IsLink(const std::string& path) = 0;

  // A file's bytes, a piece at a time.
  class Reader {
   public:
    virtual ~Reader() = default;
    // Up to size bytes into buffer; 0 at the end of the file (throws when it cannot be read).
    virtual std::size_t Read(char* buffer, std::size_t size) = 0;
  };
  // A file the program keeps for itself alone (the install journal), which others can write
  // beside it (the program folder). WritePrivate replaces its content as WriteAtomic does, the
  // new file open to this user alone: on POSIX mode 0600; on Windows a protected access list
  // granting its owner, SYSTEM and Administrators only (throws). Lines appended later keep that.
  virtual void WritePrivate(const std::string& path, const std::string& content) = 0;
  // Opens such a file only when it is one the program could have written: opened without
  // following a link (or reparse point), an ordinary file with a single name, owned by this
  // user or the administrator (root; SYSTEM or Administrators), that nobody else may write.
  // nullptr when nothing bears the name; throws quo::Error saying why it is refused.
  virtual std::unique_ptr<Reader> OpenPrivate(const std::string& path) = 0;
};

}  // namespace quo
