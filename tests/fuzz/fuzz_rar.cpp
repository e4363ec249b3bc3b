// Random archives through the RAR service: either the raw bytes, or entries (name, data) cut from
// the input and wrapped in a well-formed RAR 4 archive so that names reach the path checks.
// Nothing may crash, and nothing may be written outside the destination folder.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/posix/libarchive_rar.h"
#include "writers/rar4_writer.h"

namespace fs = std::filesystem;

namespace {

const std::string& Root() {
  static const std::string root = [] {
    char tmpl[] = "/tmp/quo_fuzz_rar_XXXXXX";
    if (::mkdtemp(tmpl) == nullptr) std::abort();
    return std::string(tmpl) + "/";
  }();
  return root;
}

std::vector<quo::writers::Rar4Entry> Entries(const std::string& bytes) {
  std::vector<quo::writers::Rar4Entry> out;
  std::size_t i = 1;
  while (i < bytes.size() && out.size() < 16) {
    const std::size_t nameLen = static_cast<unsigned char>(bytes[i++]) % 24;
    const std::string name = bytes.substr(i, nameLen);
    i += nameLen;
    const std::size_t dataLen = i < bytes.size() ? static_cast<unsigned char>(bytes[i++]) : 0;
    quo::writers::Rar4Entry e{name, bytes.substr(std::min(i, bytes.size()), dataLen)};
    i += dataLen;
    const int kind = name.empty() ? 0 : static_cast<unsigned char>(name[0]) % 8;
    if (kind == 1) e.kind = quo::writers::Rar4Entry::Kind::Directory;
    if (kind == 2) e = quo::writers::Rar4Symlink(name, e.data);
    out.push_back(e);
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // Deep enough that a name of up to 24 characters cannot climb above the root with "../".
  const std::string chain = "1/2/3/4/5/6/7/8/9/", arc = Root() + "a.rar",
                    dest = Root() + chain + "dest/";
  std::error_code ec;
  fs::remove_all(Root() + "1", ec);
  fs::create_directories(dest);
  if (!bytes.empty() && bytes[0] % 2 == 0) {
    quo::writers::WriteRar4(arc, Entries(bytes));
  } else {
    FILE* f = std::fopen(arc.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }

  static quo::LibarchiveRar rar(quo::LibarchiveRar::Options{1 << 20});
  quo::RarOpenArchiveData open{arc};
  quo::RarArchive* h = rar.OpenArchive(open);
  if (h != nullptr) {
    quo::RarHeaderData head;
    for (int n = 0; n < 64 && rar.ReadHeader(h, head) == quo::kRarSuccess; ++n)
      rar.ProcessFile(h, quo::kRarExtract, dest, dest + head.FileName);
    rar.CloseArchive(h);
  }
  // Outside the destination only the archive and the folders leading to it may exist, and no
  // link anywhere.
  for (const auto& e : fs::recursive_directory_iterator(Root())) {
    const std::string p = e.path().string();
    const bool inDest = p.rfind(dest, 0) == 0;
    const bool allowed = p == arc || (e.is_directory() && (dest + "/").rfind(p + "/", 0) == 0);
    if (e.is_symlink() || (!inDest && !allowed)) {
      std::fprintf(stderr, "written outside: %s\n", p.c_str());
      std::abort();
    }
  }
  return 0;
}
