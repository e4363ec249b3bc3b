#include "platform/module_loader.h"

#include <windows.h>

#include "platform/win32/wide.h"

namespace quo {

// The path is absolute: the module's own dependencies are looked for in its folder first.
void* LoadModuleSymbol(const std::string& path, const char* symbol, std::string& error) {
  const HMODULE module =
      ::LoadLibraryExW(win32::WidePath(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module == nullptr) {
    error = "cannot load " + path + ": " + win32::ErrorText(::GetLastError());
    return nullptr;
  }
  void* address = reinterpret_cast<void*>(::GetProcAddress(module, symbol));
  if (address == nullptr)
    error = std::string("no ") + symbol + " in " + path + ": " + win32::ErrorText(::GetLastError());
  return address;
}

}  // namespace quo
