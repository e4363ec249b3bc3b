// Random INI files: reading any key must not crash, and a write must keep every other line and
// be read back.
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/posix/base/ini_profile.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  static const std::string path = [] {
    char tmpl[] = "/tmp/quo_fuzz_ini_XXXXXX";
    const int fd = ::mkstemp(tmpl);
    ::close(fd);
    return std::string(tmpl);
  }();
  const std::size_t cut = bytes.empty() ? 0 : static_cast<unsigned char>(bytes[0]) % 16;
  const std::string section = bytes.substr(0, cut), key = bytes.substr(cut, cut);

  const std::string after = quo::ini::ApplySet(bytes, section, key, "v=1");
  if (after.find(key + "=v=1") == std::string::npos && key.find_first_of("\r\n") == std::string::npos)
    std::abort();

  quo::IniProfile ini;
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  ini.Get(path, section, key, 1023);
  ini.Get(path, "Server", "Adresse", 1023);
  if (ini.Set(path, "temps", "dernier", "06/12/2026 10:00:00") &&
      ini.Get(path, "temps", "dernier", 1023) != "06/12/2026 10:00:00")
    std::abort();
  return 0;
}
