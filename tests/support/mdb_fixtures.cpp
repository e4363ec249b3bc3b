#include "support/mdb_fixtures.h"

#include <stdexcept>

#include "support/temp_dir.h"

namespace quo::test {

std::string MdbFixture(const std::string& name) {
  return std::string(QUO_TEST_DATA_DIR) + "/mdb/" + name;
}

void WritePatchedMdb(const std::string& fixture, const std::string& to,
                     const std::vector<std::pair<std::size_t, unsigned char>>& patches) {
  std::string bytes = ReadFile(MdbFixture(fixture));
  for (const auto& [offset, value] : patches) {
    if (offset >= bytes.size()) throw std::logic_error("patch beyond the end of " + fixture);
    bytes[offset] = static_cast<char>(value);
  }
  WriteFile(to, bytes);
}

}  // namespace quo::test
