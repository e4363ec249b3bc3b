#include "support/test_key.h"

#include "core/base64.h"
#include "support/native_services.h"

namespace quo::test {

std::string Sha256Hex(const std::string& bytes) {
  const auto h = NativeCrypto().NewSha256();
  h->Update(bytes.data(), bytes.size());
  const Sha256Digest d = h->Final();
  return HexEncode(std::string(d.begin(), d.end()));
}

}  // namespace quo::test
