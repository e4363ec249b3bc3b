// Random INI files: reading any key must not crash, and a write must be read back whatever the
// file held before.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>

#include "core/text.h"
#include "platform/posix/posix_files.h"
#include "platform/ini/ini_profile.h"

// Names the program can pass (UTF-8) and the INI syntax can carry: no brackets, "=", ";" or line
// ends, no surrounding blanks.
static bool Plain(const std::string& name) {
  return !name.empty() && name.front() != ' ' && name.back() != ' ' && quo::IsValidUtf8(name) &&
         name.find_first_of(std::string("[]=;\r\n\t\"'\0", 11)) == std::string::npos;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  static const std::string path = [] {
    char tmpl[] = "/tmp/quo_fuzz_ini_XXXXXX";
    ::close(::mkstemp(tmpl));
    return std::string(tmpl);
  }();
  // The section and the key are cut from the input; a write with names the file cannot carry
  // goes to a fixed key.
  const std::size_t cut = size == 0 ? 0 : std::min<std::size_t>(data[0] % 16, size / 2);
  const std::string section = bytes.substr(0, cut), key = bytes.substr(cut, cut);
  const bool plain = Plain(section) && Plain(key);

  std::ofstream(path, std::ios::binary) << bytes;
  quo::PosixFiles files;
  quo::IniProfile ini(files);
  ini.Get(path, section, key, 1023);
  const std::string s = plain ? section : "temps", k = plain ? key : "dernier";
  if (ini.Set(path, s, k, "v=1 \"x\"") && ini.Get(path, s, k, 1023) != "v=1 \"x\"") std::abort();
  return 0;
}
