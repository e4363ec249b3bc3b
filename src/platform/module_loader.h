// Loadable modules of the program folder (the window and engine, the animation decoder, the
// translation-database reader): a run loads only the ones it needs.
#pragma once

#include <string>

namespace quo {

// Loads the module at path (once; it stays loaded) and returns the address of its exported
// symbol, or nullptr with the reason in error.
void* LoadModuleSymbol(const std::string& path, const char* symbol, std::string& error);

}  // namespace quo
