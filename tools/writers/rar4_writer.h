// RAR 4 archives for tests, written from the public description of the format: a marker block,
// the main archive header, one file header per entry followed by its stored (uncompressed)
// data, and the end-of-archive block. Every block header carries the low 16 bits of the CRC32 of
// its bytes from the type field on. Non-ASCII names use the format's Unicode name encoding.
// Damaged variants are made from the layout of a built image.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quo::writers {

struct Rar4Entry {
  enum class Kind { File, Directory, Symlink };
  std::string name;  // UTF-8, stored as given ("\" or "/" as the caller chose)
  std::string data;  // the file's bytes, or a Symlink's target
  Kind kind = Kind::File;
  std::uint8_t hostOs = 2;  // 2 = Windows, 3 = Unix (links are Unix entries)
  std::uint16_t unixMode = 0;  // a Unix entry's permission bits; 0: 755 folders, 644 files
  bool encrypted = false;   // sets the password flag; the data is left as given
  bool rawName = false;     // the name's bytes only, without the Unicode form (any charset)
  // Sizes to claim instead of the data's size (an archive bomb, a lying header).
  std::optional<std::uint64_t> packedSize, unpackedSize;
};

Rar4Entry Rar4File(std::string name, std::string data);
Rar4Entry Rar4Dir(std::string name);
Rar4Entry Rar4Symlink(std::string name, std::string target);

// An archive built in memory, with the offset of each entry's header and data.
struct Rar4Image {
  std::string bytes;
  std::vector<std::size_t> headers, data, dataEnd;

  // The archive with the header checksum of entry i broken.
  std::string WithBadHeaderCrc(std::size_t i) const;
  // The archive cut in the middle of the data of entry i.
  std::string TruncatedInData(std::size_t i) const;
};

Rar4Image BuildRar4(const std::vector<Rar4Entry>& entries, bool endBlock = true);
// Builds the archive and writes it to path.
void WriteRar4(const std::string& path, const std::vector<Rar4Entry>& entries);

// Streams an archive to a file without holding entries in memory (for large archives).
class Rar4Writer {
 public:
  explicit Rar4Writer(const std::string& path);
  ~Rar4Writer();
  Rar4Writer(const Rar4Writer&) = delete;
  Rar4Writer& operator=(const Rar4Writer&) = delete;

  void Add(const Rar4Entry& entry);
  // A stored file of size bytes; fill(buffer, n, offset) produces them chunk by chunk.
  void AddGenerated(const std::string& name, std::uint64_t size,
                    const std::function<void(char*, std::size_t, std::uint64_t)>& fill);
  // Writes the end-of-archive block and closes the file.
  void Finish();

 private:
  std::FILE* f_ = nullptr;
};

}  // namespace quo::writers
