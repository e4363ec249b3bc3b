// Language files in fixed columns and the lookups over them.
#include "translation/translation_table.h"

#include <gtest/gtest.h>

#include "core/text.h"
#include "support/test_platform.h"

namespace quo {
namespace {

TEST(Traduire, LookupsIgnoreCaseAndFirstLineWins) {
  test::TestApp t;
  t.WriteLanguage(1036, {{"_", "Sortir", "  Quitter  "},
                         {"_", "SORTIR", "second"},
                         {"frmTestFTP", "frmTestFTP", "Mise à jour"},
                         {"frmTestFTPToolTipText", "cmdOptions", "Réglages | serveur"},
                         {"_", "Miseàjourdésactivé", "Désactivé"}});
  TranslationTable& tt = t.app->translation;
  tt.ChargerLangue();
  EXPECT_EQ(tt.Traduire("Sortir"), "Quitter");
  EXPECT_EQ(tt.Traduire("sortir", "_"), "Quitter");
  EXPECT_EQ(tt.Traduire("FRMTESTFTP", "frmtestftp"), "Mise à jour");
  EXPECT_EQ(tt.Traduire("cmdOptions", "frmTestFTPToolTipText"), "Réglages | serveur");
  EXPECT_EQ(tt.Traduire("MISEÀJOURDÉSACTIVÉ"), "Désactivé");  // Latin-1 letters fold too
  EXPECT_EQ(tt.Traduire("Absent"), "");
}

TEST(ChargerLangue, FallsBackToFrenchAndReplacesTheTable) {
  test::TestApp t;
  TranslationTable& tt = t.app->translation;
  EXPECT_EQ(tt.Traduire("Sortir"), "");  // never loaded
  t.WriteLanguage(1036, {{"_", "Sortir", "Quitter"}});
  t.WriteLanguage(1033, {{"_", "Cacher", "Hide"}});
  test::MakeDirs(t.prog("LanguesUpdate/1040.lng"));  // not a file
  const struct {
    int asked, loaded;
    const char *sortir, *cacher;
  } cases[] = {{1033, 1033, "", "Hide"}, {1031, 1036, "Quitter", ""}, {1040, 1036, "Quitter", ""}};
  for (const auto& c : cases) {
    tt.LangueCourante = c.asked;
    tt.ChargerLangue();
    EXPECT_EQ(tt.LangueCourante, c.loaded);
    EXPECT_EQ(tt.Traduire("Sortir"), c.sortir) << c.asked;
    EXPECT_EQ(tt.Traduire("Cacher"), c.cacher) << c.asked;
  }
}

TEST(LoadText, ColumnsAreCharactersAndShortLinesAreKept) {
  test::TestApp t;
  TranslationTable& tt = t.app->translation;
  // Windows-1252 bytes: "é" is one byte there, one character after decoding.
  tt.LoadText(
      DecodeFileText("_" + std::string(39, ' ') + "Cl\xE9" + std::string(37, ' ') + "caf\xE9\r\n"));
  EXPECT_EQ(tt.Traduire("Clé"), "café");
  // Full columns with accented letters: each column ends after 40 characters, however many
  // bytes they take, and the text starts right after the key.
  const std::string window = "FenêtreÉté" + std::string(30, 'w');
  const std::string key = std::string(36, 'k') + "éèàù";
  const std::string key40(40, 'K');
  tt.LoadText("_" + std::string(39, ' ') + key + "texte A\r\n" + "_" + std::string(39, ' ') +
              "Court\r\n\r\n" + std::string(100, 'x') + "\r\n" + window + key40 + "texte B");
  EXPECT_EQ(tt.Traduire(key), "texte A");
  EXPECT_EQ(tt.Traduire(key40, window), "texte B");  // no final line end
  EXPECT_EQ(tt.Traduire("Court"), "");
  EXPECT_EQ(tt.size(), 5u);  // with the short line, the blank one ("|") and the overlong one
}

}  // namespace
}  // namespace quo
