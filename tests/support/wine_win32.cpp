#include <windows.h>

#include <stdexcept>
#include <string>

#include "support/wine.h"

namespace quo::test {

std::string UnixPath(const std::string& windowsPath) {
  using Fn = char*(__cdecl*)(const wchar_t*);
  static const auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (fn == nullptr) throw std::runtime_error("not running under Wine");
  std::wstring wide(MultiByteToWideChar(CP_UTF8, 0, windowsPath.data(),
                                        static_cast<int>(windowsPath.size()), nullptr, 0),
                    L'\0');
  MultiByteToWideChar(CP_UTF8, 0, windowsPath.data(), static_cast<int>(windowsPath.size()),
                      wide.data(), static_cast<int>(wide.size()));
  char* unix = fn(wide.c_str());
  if (unix == nullptr) throw std::runtime_error("no Unix path for " + windowsPath);
  std::string out = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  if (!windowsPath.empty() && (windowsPath.back() == '/' || windowsPath.back() == '\\') &&
      (out.empty() || out.back() != '/'))
    out += '/';
  return out;
}

}  // namespace quo::test
