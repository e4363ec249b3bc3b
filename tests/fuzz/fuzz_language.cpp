// Random language files: loading and looking up must not crash.
#include <string>

#include "platform/platform.h"
#include "translation/translation_table.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  quo::Platform platform;
  quo::TranslationTable table(platform, "/nonexistent/");
  table.LoadText(text);
  table.Translate("Sortir");
  table.Translate(text.substr(0, 80), text.substr(0, 40));
  return 0;
}
