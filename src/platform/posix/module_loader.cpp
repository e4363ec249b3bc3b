#include "platform/module_loader.h"

#include <dlfcn.h>

namespace quo {

void* LoadModuleSymbol(const std::string& path, const char* symbol, std::string& error) {
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    const char* why = dlerror();
    error = why != nullptr ? why : "cannot load " + path;
    return nullptr;
  }
  dlerror();
  void* address = dlsym(module, symbol);
  if (address == nullptr) {
    const char* why = dlerror();
    error = why != nullptr ? why : std::string("no ") + symbol + " in " + path;
  }
  return address;
}

}  // namespace quo
