// The language files shipped with the program hold a text for every key the code looks up and
// for every caption of both windows.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

#include "core/text.h"
#include "support/test_platform.h"
#include "ui/form.h"

namespace quo {
namespace {

// Keys passed as literals to Traduire anywhere in the sources.
std::set<std::string> KeysInSources() {
  std::set<std::string> keys;
  const std::regex call(R"re((?:Traduire|T)\(\s*"([^"]+)"\s*\))re");
  for (const auto& e : std::filesystem::recursive_directory_iterator(QUO_SOURCE_DIR "/src")) {
    if (e.path().extension() != ".cpp") continue;
    const std::string text = test::ReadFile(e.path());
    for (std::sregex_iterator it(text.begin(), text.end(), call), end; it != end; ++it)
      keys.insert((*it)[1]);
  }
  return keys;
}

TEST(LanguageFiles, EveryKeyAndCaptionIsTranslated) {
  const std::set<std::string> keys = KeysInSources();
  ASSERT_GT(keys.size(), 5u);
  for (const int lang : {1036, 1033}) {
    test::TestApp t;
    TranslationTable& table = t.app->translation;
    table.LoadText(DecodeFileText(test::ReadFile(QUO_SOURCE_DIR "/data/LanguesUpdate/" +
                                                 std::to_string(lang) + ".lng")));
    for (const std::string& key : keys) EXPECT_NE(table.Traduire(key), "") << lang << " " << key;
    for (const FormDesign* design : {&FrmTestFtpDesign(), &FrmParamDesign()}) {
      EXPECT_NE(table.Traduire(design->name, design->name), "") << lang << " " << design->name;
      for (const ControlDesign& c : design->controls) {
        if (c.caption.empty() || c.caption == "-" || c.name.rfind("txt", 0) == 0) continue;
        EXPECT_NE(table.Traduire(c.name, design->name), "") << lang << " " << c.name;
      }
    }
  }
}

}  // namespace
}  // namespace quo
