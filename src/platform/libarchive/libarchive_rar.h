// RAR library service over libarchive (RAR 4 and RAR 5). libarchive cannot decrypt RAR: an
// encrypted entry is refused with kRarMissingPassword and nothing is written for it.
#pragma once

#include <cstdint>

#include "platform/rar_library.h"

namespace quo {

class LibarchiveRar : public RarLibrary {
 public:
  struct Options {
    // Entries larger than this are refused (an archive bomb would otherwise fill the disk).
    std::uint64_t maxEntryBytes = std::uint64_t{8} << 30;
  };

  LibarchiveRar();
  explicit LibarchiveRar(Options options);

  RarArchive* OpenArchive(RarOpenArchiveData& data) override;
  void SetPassword(RarArchive* archive, const std::string& password) override;
  int ReadHeader(RarArchive* archive, RarHeaderData& header) override;
  int ProcessFile(RarArchive* archive, int operation, const std::string& destPath,
                  const std::string& destName) override;
  int CloseArchive(RarArchive* archive) override;

 private:
  Options options_;
};

}  // namespace quo
