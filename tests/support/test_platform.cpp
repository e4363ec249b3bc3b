#include "support/test_platform.h"

#include "core/text.h"

namespace quo::test {

TestApp::TestApp(const std::string& exeName) {
  system.programPath = dir / exeName;
  platform.files = &files;
  platform.system = &system;
  platform.ini = &ini;
  platform.windowing = &windowing;
  platform.crypto = &crypto;
  app = std::make_unique<AppContext>(platform, system.programPath);
}

void TestApp::WriteLanguage(int id, const std::vector<std::vector<std::string>>& rows) {
  MakeDirs(dir / "LanguesUpdate");
  std::string text;
  for (const auto& r : rows) text += PadRight(r[0], 40) + PadRight(r[1], 40) + r[2] + "\r\n";
  WriteFile(dir / ("LanguesUpdate/" + std::to_string(id) + ".lng"), text);
}

}  // namespace quo::test
