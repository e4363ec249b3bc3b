// RAR library service: the five calls of the classic RAR extraction interface. An archive is
// opened for extraction, an optional password is set, then headers are read one by one and each
// entry is processed (extracted, tested or skipped) before the next header is read; the archive
// is closed at the end.
//
// Every call returns 0 (kRarSuccess) on success, otherwise one of the codes below. After a
// header read that did not return 0 the walk is over: further reads return the same code.
//
// Safety contract of ProcessFile with kRarExtract: the entry is written only when destName is
// destPath followed by a relative path without ".." components, absolute start or drive letter,
// and the entry is an ordinary file or a folder (links and special files are refused), and its
// size stays within the library's entry size limit. A file whose data fails to read is removed,
// never left truncated. Paths use "/".
#pragma once

#include <string>

namespace quo {

// Result codes (the values of the classic interface).
inline constexpr int kRarSuccess = 0;
inline constexpr int kRarEndArchive = 10;       // no more headers
inline constexpr int kRarBadData = 12;          // data or header checksum/read failure
inline constexpr int kRarBadArchive = 13;       // damaged archive structure
inline constexpr int kRarUnknownFormat = 14;    // not a RAR archive
inline constexpr int kRarOpenFailed = 15;       // the archive file cannot be opened
inline constexpr int kRarCreateFailed = 16;     // refused or failed to create the target
inline constexpr int kRarWriteFailed = 19;      // failed to write the target's data
inline constexpr int kRarMissingPassword = 22;  // encrypted entry that cannot be decrypted
inline constexpr int kRarTooLarge = 30;         // entry larger than the configured limit
inline constexpr int kRarBadCall = 31;          // call out of order (no current header)

// Open modes and operations.
inline constexpr int kRarOpenList = 0;
inline constexpr int kRarOpenExtract = 1;
inline constexpr int kRarSkip = 0;
inline constexpr int kRarTest = 1;
inline constexpr int kRarExtract = 2;

struct RarOpenArchiveData {
  std::string ArcName;  // path of the archive
  int OpenMode = kRarOpenExtract;
  int OpenResult = 0;  // set by OpenArchive: 0 means success
};

struct RarHeaderData {
  // The entry's path inside the archive, UTF-8, with "/" as separator whatever the archive used.
  std::string FileName;
  bool Directory = false;
};

// Opaque archive handle, valid from a successful OpenArchive to CloseArchive.
class RarArchive;

class RarLibrary {
 public:
  virtual ~RarLibrary() = default;

  // Opens the archive; nullptr with a non-zero OpenResult when it cannot be read as RAR.
  virtual RarArchive* OpenArchive(RarOpenArchiveData& data) = 0;
  // Sets the password used for the entries that follow.
  virtual void SetPassword(RarArchive* archive, const std::string& password) = 0;
  virtual int ReadHeader(RarArchive* archive, RarHeaderData& header) = 0;
  // Processes the entry of the last header read.
  virtual int ProcessFile(RarArchive* archive, int operation, const std::string& destPath,
                          const std::string& destName) = 0;
  // Releases the handle.
  virtual int CloseArchive(RarArchive* archive) = 0;
};

}  // namespace quo
