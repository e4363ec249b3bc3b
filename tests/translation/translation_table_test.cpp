// Language files in fixed columns and the lookups over them; the language files shipped.
#include "translation/translation_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

#include "core/text.h"
#include "translation/builtin_texts.h"
#include "support/test_platform.h"
#include "window/form.h"

namespace quo {
namespace {

TEST(Translate, LookupsIgnoreCaseAndFirstLineWins) {
  test::TestApp t;
  t.WriteLanguage(1036, {{"_", "Sortir", "  Quitter  "},
                         {"_", "SORTIR", "second"},
                         {"frmTestFTP", "frmTestFTP", "Mise à jour"},
                         {"frmTestFTPToolTipText", "cmdOptions", "Réglages | serveur"},
                         {"_", "Miseàjourdésactivé", "Désactivé"}});
  TranslationTable& tt = t.app->translation;
  tt.LoadCurrentLanguage();
  EXPECT_EQ(tt.Translate("Sortir"), "Quitter");
  EXPECT_EQ(tt.Translate("FRMTESTFTP", "frmtestftp"), "Mise à jour");
  EXPECT_EQ(tt.Translate("cmdOptions", "frmTestFTPToolTipText"), "Réglages | serveur");
  EXPECT_EQ(tt.Translate("MISEÀJOURDÉSACTIVÉ"), "Désactivé");  // Latin-1 letters fold too
  EXPECT_EQ(tt.Translate("Absent"), "");
  // A message the file lacks shows its built-in French text; a caption does not.
  EXPECT_EQ(tt.Translate("erreurftplocal"), "Le téléchargement a échoué sur ce poste :");
  EXPECT_EQ(tt.Translate("ErreurFtpLocal", "frmTestFTP"), "");
}

TEST(LoadCurrentLanguage, FallsBackToFrenchAndReplacesTheTable) {
  test::TestApp t;
  TranslationTable& tt = t.app->translation;
  EXPECT_EQ(tt.Translate("Sortir"), "");  // never loaded
  t.WriteLanguage(1036, {{"_", "Sortir", "Quitter"}});
  t.WriteLanguage(1033, {{"_", "Cacher", "Hide"}});
  test::MakeDirs(t.prog("LanguesUpdate/1040.lng"));  // not a file
  const struct {
    int asked, loaded;
    const char *exitText, *hideText;
  } cases[] = {{1033, 1033, "", "Hide"}, {1031, 1036, "Quitter", ""}, {1040, 1036, "Quitter", ""}};
  for (const auto& c : cases) {
    tt.currentLanguage = c.asked;
    tt.LoadCurrentLanguage();
    EXPECT_EQ(tt.currentLanguage, c.loaded);
    EXPECT_EQ(tt.Translate("Sortir"), c.exitText) << c.asked;
    EXPECT_EQ(tt.Translate("Cacher"), c.hideText) << c.asked;
  }
}

TEST(LoadText, ColumnsAreCharactersAndShortLinesAreKept) {
  test::TestApp t;
  TranslationTable& tt = t.app->translation;
  // Windows-1252 bytes: "é" is one byte there, one character after decoding.
  tt.LoadText(
      DecodeFileText("_" + std::string(39, ' ') + "Cl\xE9" + std::string(37, ' ') + "caf\xE9\r\n"));
  EXPECT_EQ(tt.Translate("Clé"), "café");
  // Full columns with accented letters: each column ends after 40 characters, however many
  // bytes they take, and the text starts right after the key.
  const std::string window = "FenêtreÉté" + std::string(30, 'w');
  const std::string key = std::string(36, 'k') + "éèàù";
  const std::string key40(40, 'K');
  tt.LoadText("_" + std::string(39, ' ') + key + "texte A\r\n" + "_" + std::string(39, ' ') +
              "Court\r\n\r\n" + std::string(100, 'x') + "\r\n" + window + key40 + "texte B");
  EXPECT_EQ(tt.Translate(key), "texte A");
  EXPECT_EQ(tt.Translate(key40, window), "texte B");  // no final line end
  EXPECT_EQ(tt.Translate("Court"), "");
  EXPECT_EQ(tt.size(), 5u);  // with the short line, the blank one ("|") and the overlong one
}

// Keys passed as literals to Translate anywhere in the sources.
std::set<std::string> KeysInSources() {
  std::set<std::string> keys;
  const std::regex call(R"re((?:Translate|T)\(\s*"([^"]+)"\s*\))re");
  for (const auto& e : std::filesystem::recursive_directory_iterator(QUO_SOURCE_DIR "/src")) {
    if (e.path().extension() != ".cpp") continue;
    const std::string text = test::ReadFile(e.path().string());
    for (std::sregex_iterator it(text.begin(), text.end(), call), end; it != end; ++it)
      keys.insert((*it)[1]);
  }
  return keys;
}

// The language files shipped with the program hold a text for every key the code looks up and
// for every caption of both windows; the French one holds the built-in texts as they are.
TEST(LanguageFiles, EveryKeyAndCaptionIsTranslated) {
  const std::set<std::string> keys = KeysInSources();
  ASSERT_GT(keys.size(), 5u);
  for (const int lang : {1036, 1033}) {
    test::TestApp t;
    TranslationTable& table = t.app->translation;
    table.LoadText(DecodeFileText(
        test::ReadFile(QUO_SOURCE_DIR "/data/LanguesUpdate/" + std::to_string(lang) + ".lng")));
    for (const std::string& key : keys) {
      const std::string* text = table.Find(key);
      EXPECT_TRUE(text && !text->empty()) << lang << " " << key;
      const std::string* builtin = BuiltinText(key);
      if (builtin && text && lang == 1036) {
        EXPECT_EQ(*text, *builtin) << key;
      }
    }
    for (const FormDesign* design : {&MainWindowDesign(), &SettingsDialogDesign()}) {
      EXPECT_NE(table.Translate(design->name, design->name), "") << lang << " " << design->name;
      for (const ControlDesign& c : design->controls) {
        if (c.caption.empty() || c.caption == "-" || c.name.rfind("txt", 0) == 0) continue;
        EXPECT_NE(table.Translate(c.name, design->name), "") << lang << " " << c.name;
      }
    }
  }
}

}  // namespace
}  // namespace quo
