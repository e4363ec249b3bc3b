// Random archives through the RAR service: either the raw bytes (an input that starts with the RAR
// signature, such as the real archives it is seeded with, or with an odd byte), or entries (name,
// data) cut from the input and wrapped in a well-formed RAR 4 archive so that names reach the path
// checks. Nothing may crash, and nothing may be written outside the destination folder.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/libarchive/libarchive_rar.h"
#include "writers/rar4_writer.h"

namespace fs = std::filesystem;
namespace w = quo::writers;

// After the first byte, up to 16 entries: a length byte and a name of up to 23 bytes (its first
// byte makes it a file, a folder or a link), a length byte and the data.
static std::vector<w::Rar4Entry> Entries(const std::string& bytes) {
  std::vector<w::Rar4Entry> out;
  for (std::size_t i = 1; i < bytes.size() && out.size() < 16;) {
    const std::string name = bytes.substr(i + 1, static_cast<unsigned char>(bytes[i]) % 24);
    i += 1 + name.size();
    const std::size_t dataLen = i < bytes.size() ? static_cast<unsigned char>(bytes[i++]) : 0;
    const std::string data = bytes.substr(std::min(i, bytes.size()), dataLen);
    i += dataLen;
    const int kind = name.empty() ? 0 : static_cast<unsigned char>(name[0]) % 8;
    out.push_back(kind == 1   ? w::Rar4Dir(name)
                  : kind == 2 ? w::Rar4Symlink(name, data)
                              : w::Rar4File(name, data));
  }
  return out;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  static const std::string root = [] {
    char tmpl[] = "/tmp/quo_fuzz_rar_XXXXXX";
    if (::mkdtemp(tmpl) == nullptr) std::abort();
    return std::string(tmpl) + "/";
  }();
  // Deep enough that a name of up to 23 characters cannot climb above the root with "../".
  const std::string arc = root + "a.rar", dest = root + "1/2/3/4/5/6/7/8/9/dest/";
  std::error_code ec;
  fs::remove_all(root + "1", ec);
  fs::create_directories(dest);
  // Raw bytes: a real archive (RAR 4 and RAR 5 share this signature), or an odd first byte.
  static const std::string kSignature("Rar!\x1a\x07", 6);
  if (bytes.empty() || bytes.starts_with(kSignature) || bytes[0] % 2 != 0)
    std::ofstream(arc, std::ios::binary) << bytes;
  else
    w::WriteRar4(arc, Entries(bytes));

  static quo::LibarchiveRar rar(quo::LibarchiveRar::Options{1 << 20});
  quo::RarOpenArchiveData open{arc};
  if (quo::RarArchive* h = rar.OpenArchive(open)) {
    quo::RarHeaderData head;
    for (int n = 0; n < 64 && rar.ReadHeader(h, head) == quo::kRarSuccess; ++n)
      rar.ProcessFile(h, quo::kRarExtract, dest, dest + head.FileName);
    rar.CloseArchive(h);
  }
  // Outside the destination only the archive and the folders leading to it may exist, and no
  // link anywhere.
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    const std::string p = e.path().string();
    const bool allowed = p.starts_with(dest) || p == arc ||
                         (e.is_directory() && (dest + "/").starts_with(p + "/"));
    if (e.is_symlink() || !allowed) {
      std::fprintf(stderr, "written outside: %s\n", p.c_str());
      std::abort();
    }
  }
  return 0;
}
