#include "translation/exporter.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/posix/mdb_translation_db.h"
#include "startup/launch.h"
#include "support/mdb_fixtures.h"
#include "support/test_platform.h"

namespace quo::test {
namespace {

// Counts characters of UTF-8 text (bytes that do not continue a character).
std::size_t Chars(const std::string& s) {
  std::size_t n = 0;
  for (unsigned char b : s) n += (b & 0xC0) != 0x80;
  return n;
}

std::string Line(const std::string& f, const std::string& c, const std::string& text) {
  return f + std::string(40 - Chars(f), ' ') + c + std::string(40 - Chars(c), ' ') + text;
}

// The lines of a language file, which must end every line with CR LF.
std::vector<std::string> Lines(const std::string& path) {
  const std::string text = ReadFile(path);
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) {
      ADD_FAILURE() << path << ": last line without CR LF";
      break;
    }
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

std::vector<std::string> Entries(const std::vector<std::vector<std::string>>& rows) {
  std::vector<std::string> lines;
  for (const auto& r : rows) lines.push_back(Line(r[0], r[1], r[2]));
  return lines;
}

struct ExportTest : ::testing::Test {
  ExportTest() { t.platform.translationDb = &db; }
  void UseDatabase(const std::string& fixture) {
    std::filesystem::copy_file(MdbFixture(fixture), t.prog("TraductionUpdate.mdb"));
  }
  std::string Lng(const std::string& name) { return t.prog("LanguesUpdate/" + name + ".lng"); }
  std::vector<std::string> Folder() {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(t.prog("LanguesUpdate")))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  TestApp t;
  MdbTranslationDb db;
};

TEST_F(ExportTest, WritesOneFilePerLanguageInKeyOrderWithEmptyOrFrenchGaps) {
  UseDatabase("traduction.mdb");
  t.WriteLanguage(1033, {{"_", "Sortir", "old"}});
  t.WriteLanguage(3082, {{"_", "Sortir", "Salir"}});  // no column: left alone
  const std::vector<std::vector<std::string>> keys = {
      {"_", "Aucunenouvelemiseàjourdedisponible"},
      {"_", "Connectionauserveurencours"},
      {"_", "Hebdomadaire"},
      {"_", "Mensuel"},
      {"_", "Miseàjourdésactivé"},
      {"_", "Sortir"},
      {"frmParam", "cmdOK"},
      {"frmParam", "Frame1"},
      {"frmParam", "frmParam"},
      {"frmTestFTP", "cmdOptions"},
      {"frmTestFTP", "frmTestFTP"},
      {"frmTestFTP", "mnuStop"},
      {"frmTestFTPToolTipText", "cmdRechercher"},
  };
  const std::vector<std::string> fr = {"Aucune nouvelle mise à jour disponible",
                                       "Connexion au serveur en cours",
                                       "Hebdomadaire",
                                       "Mensuel",
                                       "Mise à jour désactivée",
                                       "Sortir",
                                       "Valider",
                                       "Serveur",
                                       "Configuration",
                                       "Options...",
                                       "Quorvanta Mise à jour",
                                       "Arrêter",
                                       "Chercher une mise à jour sur le serveur"};
  const std::vector<std::string> en = {"No new update available",
                                       "Connecting to the server",
                                       "Weekly",
                                       "Monthly",
                                       "Updates disabled",
                                       "Exit",
                                       "",  // empty cell
                                       "Server",
                                       "Settings",
                                       "Options...",
                                       "Quorvanta Update",
                                       "Stop",
                                       "Look for an update on the server"};
  // NULL in rows 0, 1 and 12, an empty text in row 10.
  const std::vector<std::string> de = {"",
                                       "",
                                       "Wöchentlich",
                                       "Monatlich",
                                       "Aktualisierung deaktiviert",
                                       "Beenden",
                                       "OK",
                                       "Server",
                                       "Einstellungen",
                                       "Optionen...",
                                       "",
                                       "Anhalten",
                                       ""};
  for (const bool fill : {false, true}) {
    SCOPED_TRACE(fill ? "fillMissing" : "as at start-up");
    ExporterTraductions(*t.app, fill);
    for (const auto& [name, texts] :
         {std::pair{"1036", fr}, std::pair{"1033", en}, std::pair{"1031", de}}) {
      SCOPED_TRACE(name);
      std::vector<std::string> expected;
      for (std::size_t i = 0; i < keys.size(); ++i)
        expected.push_back(
            Line(keys[i][0], keys[i][1], fill && texts[i].empty() ? fr[i] : texts[i]));
      EXPECT_EQ(Lines(Lng(name)), expected);
    }
    EXPECT_EQ(Folder(), (std::vector<std::string>{"1031.lng", "1033.lng", "1036.lng", "3082.lng"}));
  }
  // Columns are counted in characters: accented keys are padded to 40 characters, not bytes.
  EXPECT_EQ(Lines(Lng("1033"))[4], "_" + std::string(39, ' ') + "Miseàjourdésactivé" +
                                       std::string(22, ' ') + "Updates disabled");
  EXPECT_EQ(Lines(Lng("3082")), Entries({{"_", "Sortir", "Salir"}}));
}

TEST_F(ExportTest, SortsLikeTheDatabaseIgnoringLetterCase) {
  UseDatabase("traduction_order.mdb");
  ExporterTraductions(*t.app, false);
  const std::string forty = "abcdefghijklmnopqrstuvwxyzabcdefghijklmn";
  EXPECT_EQ(Lines(Lng("1033")), Entries({{"_", "x", "en _-x"},
                                         {forty, "exactly40", "forty"},
                                         {"frma", "Y", "en a-Y"},
                                         {"FRMA", "z", "en A-z"},
                                         {"Frmb", "A", "en B-A"},
                                         {"frmb", "b", "en b-b"}}));
  // A 40-character window part runs straight into the key part.
  EXPECT_EQ(Lines(Lng("1036"))[1].substr(0, 49), forty + "exactly40");
}

TEST_F(ExportTest, ExportsEveryRowOfALargeDatabase) {
  UseDatabase("traduction_grande.mdb");
  for (const bool fill : {false, true}) {
    ExporterTraductions(*t.app, fill);
    const auto en = Lines(Lng("1033"));
    ASSERT_EQ(en.size(), 3000u);
    ASSERT_EQ(Lines(Lng("1036")).size(), 3000u);
    const auto gaps = std::count_if(en.begin(), en.end(), [](const std::string& l) {
      return l.size() == 80;  // keys only: the cell was NULL
    });
    const auto french = std::count_if(en.begin(), en.end(), [](const std::string& l) {
      return l.find("Libellé numéro") != std::string::npos;
    });
    EXPECT_EQ(gaps, fill ? 0 : 600);
    EXPECT_EQ(french, fill ? 600 : 0);
    EXPECT_TRUE(
        std::is_sorted(en.begin(), en.end(), [](const std::string& a, const std::string& b) {
          return a.substr(0, 80) < b.substr(0, 80);  // the fixture's keys are all lower case
        }));
  }
}

// A database that breaks a rule, or cannot be read, replaces no language file and leaves no
// temporary file behind.
TEST_F(ExportTest, StopsWithoutReplacingAnyFile) {
  struct Case {
    const char* name;
    std::function<void(const std::string&)> make;
  } cases[] = {
      {"key of 42 characters",
       [](const std::string& to) {
         std::filesystem::copy_file(MdbFixture("traduction_longkey.mdb"), to);
       }},
      {"11 language columns",
       [](const std::string& to) {
         std::filesystem::copy_file(MdbFixture("traduction_11langues.mdb"), to);
       }},
      {"no column 1036",
       [](const std::string& to) {
         std::filesystem::copy_file(MdbFixture("traduction_sans1036.mdb"), to);
       }},
      {"NULL Formulaire",
       [](const std::string& to) { WritePatchedMdb("traduction.mdb", to, kNullFormulaire); }},
      {"NULL Controle",
       [](const std::string& to) { WritePatchedMdb("traduction.mdb", to, kNullControle); }},
      {"no table Traduction",
       [](const std::string& to) { WritePatchedMdb("traduction.mdb", to, kRenameTable); }},
      {"no column Controle",
       [](const std::string& to) { WritePatchedMdb("traduction.mdb", to, kRenameControle); }},
      {"not a database", [](const std::string& to) { WriteFile(to, "_;Sortir;Exit\r\n"); }},
      {"truncated",
       [](const std::string& to) {
         WriteFile(to, ReadFile(MdbFixture("traduction_grande.mdb")).substr(0, 200000));
       }},
      {"damaged so that the reader crashes",
       [](const std::string& to) { WritePatchedMdb("traduction.mdb", to, kCrashLibmdb); }},
      {"a folder in its place", [](const std::string& to) { MakeDirs(to); }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TestApp app;
    MdbTranslationDb service;
    app.platform.translationDb = &service;
    k.make(app.prog("TraductionUpdate.mdb"));
    app.WriteLanguage(1036, {{"_", "Sortir", "ancien"}});
    app.WriteLanguage(1033, {{"_", "Sortir", "old"}});
    const std::string fr = ReadFile(app.prog("LanguesUpdate/1036.lng"));
    const std::string en = ReadFile(app.prog("LanguesUpdate/1033.lng"));
    ExporterTraductions(*app.app, true);
    EXPECT_EQ(ReadFile(app.prog("LanguesUpdate/1036.lng")), fr);
    EXPECT_EQ(ReadFile(app.prog("LanguesUpdate/1033.lng")), en);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e :
         std::filesystem::directory_iterator(app.prog("LanguesUpdate")))
      ++files;
    EXPECT_EQ(files, 2u);
  }
}

TEST_F(ExportTest, AFailedWriteKeepsThePreviousFiles) {
  UseDatabase("traduction.mdb");
  t.WriteLanguage(1036, {{"_", "Sortir", "ancien"}});
  MakeDirs(t.prog("LanguesUpdate/1031.lng.new"));  // the last temporary file cannot be written
  ExporterTraductions(*t.app, false);
  EXPECT_EQ(Lines(Lng("1036")), Entries({{"_", "Sortir", "ancien"}}));
  EXPECT_EQ(Folder(), (std::vector<std::string>{"1031.lng.new", "1036.lng"}));
}

TEST_F(ExportTest, WithoutDatabaseOrReaderOnlyTheFolderIsMade) {
  ExporterTraductions(*t.app, false);  // no database
  EXPECT_TRUE(Folder().empty());
  UseDatabase("traduction.mdb");
  t.platform.translationDb = nullptr;  // no reader on this platform
  ExporterTraductions(*t.app, false);
  EXPECT_TRUE(Folder().empty());
}

TEST_F(ExportTest, StartUpLoadsTheTextsItJustExported) {
  UseDatabase("traduction.mdb");
  t.WriteLanguage(1033, {{"_", "Sortir", "stale"}});
  const LaunchPlan plan = PlanLaunch(*t.app, {"2.1.0", t.dir.path(), "1033", "1"});
  ASSERT_TRUE(plan.error.empty()) << plan.error;
  EXPECT_EQ(t.app->translation.LangueCourante, 1033);
  EXPECT_EQ(t.app->Traduire("Sortir"), "Exit");
  EXPECT_EQ(t.app->Traduire("frmParam", "frmParam"), "Settings");
  EXPECT_EQ(t.app->Traduire("cmdRechercher", "frmTestFTPToolTipText"),
            "Look for an update on the server");
  EXPECT_EQ(t.app->Traduire("cmdOK", "frmParam"), "");  // empty cell, not filled at start-up

  TestApp interactive;
  MdbTranslationDb service;
  interactive.platform.translationDb = &service;
  std::filesystem::copy_file(MdbFixture("traduction.mdb"),
                             interactive.prog("TraductionUpdate.mdb"));
  PlanLaunch(*interactive.app, {});
  EXPECT_EQ(interactive.app->Traduire("Miseàjourdésactivé"), "Mise à jour désactivée");
}

}  // namespace
}  // namespace quo::test
