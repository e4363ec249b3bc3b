// The translators' databases kept in tests/data/mdb/, and damaged copies made from them.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace quo::test {

// Path of a database of tests/data/mdb/ (for example "traduction.mdb").
std::string MdbFixture(const std::string& name);

// Writes a copy of a fixture with single bytes replaced (offset, new value).
void WritePatchedMdb(const std::string& fixture, const std::string& to,
                     const std::vector<std::pair<std::size_t, unsigned char>>& patches);

// Known damages of traduction.mdb.
inline const std::vector<std::pair<std::size_t, unsigned char>> kRenameTable{{0xe989, 'X'}};
inline const std::vector<std::pair<std::size_t, unsigned char>> kRenameControle{{0x180e2, 'x'}};
// The NULL mask of the row frmTestFTP/cmdOptions: Formulaire or Controle made NULL.
inline const std::vector<std::pair<std::size_t, unsigned char>> kNullFormulaire{{0x1afff, 0x1e}};
inline const std::vector<std::pair<std::size_t, unsigned char>> kNullControle{{0x1afff, 0x1d}};
// A byte of the system catalog that makes libmdb follow a NULL page map.
inline const std::vector<std::pair<std::size_t, unsigned char>> kCrashLibmdb{{0x2037, 0x2e}};

}  // namespace quo::test
