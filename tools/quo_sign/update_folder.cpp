#include "quo_sign/update_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "core/base64.h"
#include "core/error.h"
#include "core/paths.h"
#include "core/text.h"
#include "platform/ini/ini_profile.h"
#include "platform/posix/posix_files.h"
#include "platform/crypto/openssl_crypto.h"
#include "update/download_files.h"

namespace quo::sign {

namespace {

// Larger packages are refused, as the client refuses larger archive entries.
constexpr std::uint64_t kMaxPackageBytes = std::uint64_t{8} << 30;

struct Package {
  std::string section;  // as the action file names it
  std::string file;     // the file on the server
};

struct Digest {
  std::string sha256;  // 64 lowercase hex digits
  std::string size;    // decimal
};

std::string Get(IniProfile& ini, const std::string& file, const std::string& section,
                const std::string& key) {
  return ini.Get(file, section, key, 1023);  // read as the client reads it
}

std::vector<Package> Packages(IniProfile& ini, const std::string& folder) {
  const std::string actions = folder + kActions;
  if (!PosixFiles().IsOrdinaryFile(actions)) throw Error(actions + ": no such file");
  if (!IsVersionText(Get(ini, actions, "ordre", "versionActuelle")))
    throw Error(actions + ": [ordre] versionActuelle= is not a version such as 2.1.1");
  const int packageCount = WholeValue(Get(ini, actions, "ordre", "nb"));
  if (packageCount <= 0) throw Error(actions + ": [ordre] nb= names no package");
  std::vector<Package> out;
  for (int i = 1; i <= packageCount; ++i) {
    const std::string name = Get(ini, actions, "ordre", std::to_string(i));
    if (!IsPlainFileName(name))
      throw Error(actions + ": [ordre] " + std::to_string(i) + "= is not a plain file name");
    const bool compressed = FlagValue(Get(ini, actions, name, "compresse"));
    out.push_back({name, folder + (compressed ? ArchiveNameOf(name) : name)});
  }
  return out;
}

Digest DigestOf(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) throw Error(path + ": " + std::strerror(errno));
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st{};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) throw Error(path + ": not an ordinary file");
  auto sha = OpenSslCrypto().NewSha256();
  std::vector<char> buffer(1 << 20);
  std::uint64_t size = 0;
  for (;;) {
    if (static_cast<std::uint64_t>(st.st_size) > kMaxPackageBytes || size > kMaxPackageBytes)
      throw Error(path + ": larger than 8 GiB");
    const ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw Error(path + ": " + std::strerror(errno));
    if (n == 0) break;
    sha->Update(buffer.data(), static_cast<std::size_t>(n));
    size += static_cast<std::uint64_t>(n);
  }
  const Sha256Digest d = sha->Final();
  return {HexEncode({reinterpret_cast<const char*>(d.data()), d.size()}), std::to_string(size)};
}

}  // namespace

std::string StampedActions(const std::string& folder) {
  PosixFiles files;
  IniProfile ini(files);
  const std::vector<Package> packages = Packages(ini, folder);
  const auto original = PosixFiles().ReadAll(folder + kActions);
  if (!original) throw Error(folder + kActions + ": cannot be read");
  std::string bytes = *original;
  for (const Package& p : packages) {
    const Digest d = DigestOf(p.file);
    bytes = ini::ApplySet(bytes, p.section, "sha256", d.sha256);
    bytes = ini::ApplySet(bytes, p.section, "taille", d.size);
  }
  return bytes;
}

std::vector<std::string> CheckPackages(const std::string& folder) {
  PosixFiles files;
  IniProfile ini(files);
  const std::string actions = folder + kActions;
  std::vector<std::string> failures;
  try {
    for (const Package& p : Packages(ini, folder)) {
      try {
        const Digest d = DigestOf(p.file);
        if (Get(ini, actions, p.section, "sha256") != d.sha256)
          failures.push_back(p.file + ": SHA-256 differs from [" + p.section + "] sha256=");
        if (Get(ini, actions, p.section, "taille") != d.size)
          failures.push_back(p.file + ": size differs from [" + p.section + "] taille=");
      } catch (const Error& e) {
        failures.push_back(e.what());
      }
    }
  } catch (const Error& e) {
    failures.push_back(e.what());
  }
  return failures;
}

}  // namespace quo::sign
