// Random INI files: reading any key must not crash, and a write must be read back whatever the
// file held before (the file's other bytes stay as they were).
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/text.h"
#include "platform/posix/base/ini_profile.h"

namespace {

// Names the program can pass (UTF-8) and the INI syntax can carry: no brackets, "=", ";" or line
// ends, no surrounding blanks.
bool Plain(const std::string& name) {
  if (name.empty() || name.front() == ' ' || name.back() == ' ') return false;
  if (!quo::IsValidUtf8(name)) return false;
  return name.find_first_of("[]=;\r\n\t\"'") == std::string::npos &&
         name.find('\0') == std::string::npos;
}

void Write(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  static const std::string path = [] {
    char tmpl[] = "/tmp/quo_fuzz_ini_XXXXXX";
    ::close(::mkstemp(tmpl));
    return std::string(tmpl);
  }();
  const std::size_t cut = bytes.empty() ? 0
                                        : std::min<std::size_t>(
                                              static_cast<unsigned char>(bytes[0]) % 16, size / 2);
  const std::string section = bytes.substr(0, cut), key = bytes.substr(cut, cut);

  quo::IniProfile ini;
  Write(path, bytes);
  ini.Get(path, section, key, 1023);
  ini.Get(path, "Server", "Adresse", 1023);
  if (ini.Set(path, "temps", "dernier", "06/12/2026 10:00:00") &&
      ini.Get(path, "temps", "dernier", 1023) != "06/12/2026 10:00:00")
    std::abort();
  if (Plain(section) && Plain(key)) {
    Write(path, bytes);
    if (ini.Set(path, section, key, "v=1") && ini.Get(path, section, key, 1023) != "v=1")
      std::abort();
  }
  return 0;
}
