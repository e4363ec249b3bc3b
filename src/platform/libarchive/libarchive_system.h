// The system's side of extracting with libarchive: the archive file's name, the entries' names in
// UTF-8, and the folder the entries are written into. Paths are UTF-8 with "/".
#pragma once

#include <archive.h>
#include <archive_entry.h>

#include <memory>
#include <string>

namespace quo {

// Lets libarchive give entry names in a form EntryName reads (once per process).
void PrepareEntryNames();
// ARCHIVE_OK when the archive file opened for reading.
int OpenArchiveFile(archive* reader, const std::string& path, std::size_t blockSize);
bool IsReadable(const std::string& path);
// The name of the reader's current entry in UTF-8, "" when libarchive gives none.
std::string EntryName(archive* reader, archive_entry* entry);

// Where one archive's entries go. Enter points an entry at rel inside dir (which is created when
// missing), checks made by the caller; the entry is written before Leave. On POSIX the folder is
// entered like `bsdtar -C`, so libarchive's check against links walks only the entry's own path;
// on Windows the entry's path is dir + rel in full.
class ExtractFolder {
 public:
  ExtractFolder();
  ~ExtractFolder();
  ExtractFolder(const ExtractFolder&) = delete;
  ExtractFolder& operator=(const ExtractFolder&) = delete;

  // False when the folder cannot be used (the entry is then not written).
  bool Enter(const std::string& dir, const std::string& rel, archive_entry* entry);
  // Removes the file written for the entry entered last.
  void RemoveEntered();
  void Leave();
  // The options of archive_write_disk that keep entries inside the folder.
  static int SecureOptions();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace quo
