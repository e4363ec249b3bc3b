#include <windows.h>

#include <stdexcept>
#include <string>

#include "platform/win32/wide.h"
#include "support/wine.h"

namespace quo::test {

std::string UnixPath(const std::string& windowsPath) {
  using Fn = char*(__cdecl*)(const wchar_t*);
  static const auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (fn == nullptr) throw std::runtime_error("not running under Wine");
  char* unix = fn(win32::Widen(windowsPath).c_str());
  if (unix == nullptr) throw std::runtime_error("no Unix path for " + windowsPath);
  std::string out = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  if (!windowsPath.empty() && (windowsPath.back() == '/' || windowsPath.back() == '\\') &&
      (out.empty() || out.back() != '/'))
    out += '/';
  return out;
}

}  // namespace quo::test
