// The translators' databases kept in tests/data/mdb/, and damaged copies made from them.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "support/temp_dir.h"

namespace quo::test {

using MdbPatch = std::vector<std::pair<std::size_t, unsigned char>>;  // (offset, new byte)

// Path of a database of tests/data/mdb/ (for example "traduction.mdb").
inline std::string MdbFixture(const std::string& name) {
  return std::string(QUO_TEST_DATA_DIR) + "/mdb/" + name;
}

// Writes a copy of a fixture with single bytes replaced.
inline void WritePatchedMdb(const std::string& fixture, const std::string& to,
                            const MdbPatch& patch = {}) {
  std::string bytes = ReadFile(MdbFixture(fixture));
  for (const auto& [offset, value] : patch) bytes.at(offset) = static_cast<char>(value);
  WriteFile(to, bytes);
}

// Known damages of traduction.mdb.
inline const MdbPatch kRenameTable{{0xe989, 'X'}};
inline const MdbPatch kRenameControle{{0x180e2, 'x'}};
// The NULL mask of the row MainWindow/cmdOptions: Formulaire or Controle made NULL.
inline const MdbPatch kNullFormulaire{{0x1afff, 0x1e}};
inline const MdbPatch kNullControle{{0x1afff, 0x1d}};
// A byte of the system catalog that makes libmdb follow a NULL page map.
inline const MdbPatch kCrashLibmdb{{0x2037, 0x2e}};

}  // namespace quo::test
