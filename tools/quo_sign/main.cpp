// quo-sign: the update-server keeper's tool. It makes a key pair, fills in the SHA-256 and size
// of every package of an update folder's Actions.ini and signs the file, signs ListMaj.ini, and
// checks a folder as a client will. Run it where the secret key lives, never on the server.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "core/base64.h"
#include "core/error.h"
#include "core/paths.h"
#include "platform/posix/posix_files.h"
#include "platform/crypto/openssl_crypto.h"
#include "quo_sign/update_folder.h"
#include "update/download_files.h"

namespace quo::sign {
namespace {

constexpr int kFailed = 1, kUsage = 2;
constexpr std::size_t kKeyBytes = 32, kSignatureBytes = 64;

constexpr const char* kUsageText =
    "usage: quo-sign keygen <secret-key-file> <public-key-file>\n"
    "       quo-sign sign <update-folder> <secret-key-file>\n"
    "       quo-sign sign-list <ListMaj.ini> <secret-key-file>\n"
    "       quo-sign verify <update-folder> <public-key-file>\n";

// The bytes of a key or signature file: one base64 line (trailing CR, LF and spaces ignored).
std::string ReadBase64Line(const std::string& path, std::size_t size) {
  const auto text = PosixFiles().ReadAll(path);
  if (!text) throw Error(path + ": cannot be read");
  std::string_view line = *text;
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' '))
    line.remove_suffix(1);
  const auto bytes = Base64Decode(line);
  if (!bytes || bytes->size() != size)
    throw Error(path + ": not one base64 line of " + std::to_string(size) + " bytes");
  return *bytes;
}

std::string ReadSecretKey(const std::string& path) {
  std::string key = ReadBase64Line(path, kKeyBytes);
  if (!OpenSslCrypto::PublicKeyOf(key)) throw Error(path + ": not an Ed25519 secret key");
  return key;
}

// A new file with the given mode; an existing one (or a link) is never replaced.
void WriteNew(const std::string& path, const std::string& text, mode_t mode) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) throw Error(path + ": " + std::strerror(errno));
  const bool written = ::fchmod(fd, mode) == 0 &&
                       ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  if (::close(fd) != 0 || !written) {
    ::unlink(path.c_str());
    throw Error(path + ": cannot be written");
  }
}

// Writes <file>.sig: the signature of exactly these bytes of <file>.
void WriteSignature(const std::string& file, const std::string& bytes, const std::string& key) {
  const auto signature = OpenSslCrypto::Sign(key, bytes);
  if (!signature) throw Error(file + ": cannot be signed");
  PosixFiles().WriteAtomic(file + kSignatureSuffix, Base64Encode(*signature) + "\n");
}

int Keygen(const std::string& secretPath, const std::string& publicPath) {
  const std::string secret = OpenSslCrypto::NewSecretKey();
  const auto publicKey = OpenSslCrypto::PublicKeyOf(secret);
  if (!publicKey) throw Error("no key pair could be made");
  struct stat st{};
  if (::lstat(publicPath.c_str(), &st) == 0) throw Error(publicPath + ": already exists");
  WriteNew(secretPath, Base64Encode(secret) + "\n", 0600);
  WriteNew(publicPath, Base64Encode(*publicKey) + "\n", 0644);
  std::cout << "CleSignature=" << Base64Encode(*publicKey) << "\n";
  return 0;
}

int SignFolder(const std::string& folder, const std::string& secretPath) {
  const std::string key = ReadSecretKey(secretPath);
  const std::string actions = folder + kActions, stamped = StampedActions(folder);
  PosixFiles files;
  if (files.ReadAll(actions) != stamped) files.WriteAtomic(actions, stamped);
  WriteSignature(actions, stamped, key);
  return 0;
}

int SignList(const std::string& list, const std::string& secretPath) {
  const std::string key = ReadSecretKey(secretPath);
  const auto bytes = PosixFiles().ReadAll(list);
  if (!bytes) throw Error(list + ": cannot be read");
  WriteSignature(list, *bytes, key);
  return 0;
}

int VerifyFolder(const std::string& folder, const std::string& publicPath) {
  OpenSslCrypto crypto;
  const std::string key = ReadBase64Line(publicPath, kKeyBytes);
  if (!crypto.IsPublicKey(key)) throw Error(publicPath + ": not an Ed25519 public key");
  const std::string actions = folder + kActions;
  std::vector<std::string> failures;
  try {
    const auto bytes = PosixFiles().ReadAll(actions);
    const std::string signature = ReadBase64Line(actions + kSignatureSuffix, kSignatureBytes);
    if (bytes && !crypto.Verify(key, *bytes, signature))
      failures.push_back(actions + kSignatureSuffix + ": not a signature of " + actions + " by this key");
  } catch (const Error& e) {
    failures.push_back(e.what());
  }
  for (const std::string& f : CheckPackages(folder)) failures.push_back(f);
  for (const std::string& f : failures) std::cerr << "quo-sign: " << f << "\n";
  return failures.empty() ? 0 : kFailed;
}

}  // namespace
}  // namespace quo::sign

int main(int argc, char** argv) {
  using namespace quo::sign;
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() != 3) {
    std::cerr << kUsageText;
    return kUsage;
  }
  try {
    if (args[0] == "keygen") return Keygen(args[1], args[2]);
    if (args[0] == "sign") return SignFolder(quo::WithSlash(args[1]), args[2]);
    if (args[0] == "sign-list") return SignList(args[1], args[2]);
    if (args[0] == "verify") return VerifyFolder(quo::WithSlash(args[1]), args[2]);
  } catch (const std::exception& e) {
    std::cerr << "quo-sign: " << e.what() << "\n";
    return kFailed;
  }
  std::cerr << kUsageText;
  return kUsage;
}
