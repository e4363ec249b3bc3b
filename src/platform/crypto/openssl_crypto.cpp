#include "platform/crypto/openssl_crypto.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <stdexcept>

#include "platform/crypto/pipelined_sha256.h"

namespace quo {

namespace {

constexpr std::size_t kKeyBytes = 32, kSignatureBytes = 64;

const unsigned char* Bytes(const std::string& s) {
  return reinterpret_cast<const unsigned char*>(s.data());
}

struct KeyDeleter {
  void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyDeleter>;
struct ContextDeleter {
  void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
};
using Context = std::unique_ptr<EVP_MD_CTX, ContextDeleter>;

Key PublicKey(const std::string& raw) {
  if (raw.size() != kKeyBytes) return nullptr;
  return Key(EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, Bytes(raw), raw.size()));
}

Key SecretKey(const std::string& raw) {
  if (raw.size() != kKeyBytes) return nullptr;
  return Key(EVP_PKEY_new_raw_private_key(EVP_PKEY_ED25519, nullptr, Bytes(raw), raw.size()));
}

class EvpSha256 : public Sha256 {
 public:
  EvpSha256() : ctx_(EVP_MD_CTX_new()) {
    if (!ctx_) throw std::bad_alloc();
    Reset();
  }
  void Update(const void* data, std::size_t size) override {
    EVP_DigestUpdate(ctx_.get(), data, size);
  }
  Sha256Digest Final() override {
    Sha256Digest d{};
    unsigned int n = 0;
    EVP_DigestFinal_ex(ctx_.get(), d.data(), &n);
    return d;
  }
  void Reset() override {
    if (EVP_DigestInit_ex(ctx_.get(), EVP_sha256(), nullptr) != 1)
      throw std::runtime_error("SHA-256 unavailable");
  }

 private:
  Context ctx_;
};

}  // namespace

std::unique_ptr<Sha256> OpenSslCrypto::NewSha256() {
  return std::make_unique<PipelinedSha256>(std::make_unique<EvpSha256>());
}

bool OpenSslCrypto::IsPublicKey(const std::string& key) { return PublicKey(key) != nullptr; }

bool OpenSslCrypto::Verify(const std::string& publicKey, const std::string& message,
                           const std::string& signature) {
  const Key key = PublicKey(publicKey);
  const Context ctx(EVP_MD_CTX_new());
  if (!key || !ctx || signature.size() != kSignatureBytes) return false;
  return EVP_DigestVerifyInit(ctx.get(), nullptr, nullptr, nullptr, key.get()) == 1 &&
         EVP_DigestVerify(ctx.get(), Bytes(signature), signature.size(), Bytes(message),
                          message.size()) == 1;
}

std::string OpenSslCrypto::NewSecretKey() {
  std::string key(kKeyBytes, '\0');
  if (RAND_priv_bytes(reinterpret_cast<unsigned char*>(key.data()), kKeyBytes) != 1)
    throw std::runtime_error("no random bytes for a key");
  return key;
}

std::optional<std::string> OpenSslCrypto::PublicKeyOf(const std::string& secretKey) {
  const Key key = SecretKey(secretKey);
  std::string raw(kKeyBytes, '\0');
  std::size_t n = raw.size();
  if (!key || EVP_PKEY_get_raw_public_key(key.get(), reinterpret_cast<unsigned char*>(raw.data()),
                                          &n) != 1)
    return std::nullopt;
  return raw;
}

std::optional<std::string> OpenSslCrypto::Sign(const std::string& secretKey,
                                               const std::string& message) {
  const Key key = SecretKey(secretKey);
  const Context ctx(EVP_MD_CTX_new());
  std::string sig(kSignatureBytes, '\0');
  std::size_t n = sig.size();
  if (!key || !ctx || EVP_DigestSignInit(ctx.get(), nullptr, nullptr, nullptr, key.get()) != 1 ||
      EVP_DigestSign(ctx.get(), reinterpret_cast<unsigned char*>(sig.data()), &n, Bytes(message),
                     message.size()) != 1)
    return std::nullopt;
  return sig;
}

}  // namespace quo
