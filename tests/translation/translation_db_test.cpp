// The translators' database: its reader and the export of its texts to the language files.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>

#include "core/error.h"
#include "core/text.h"
#include "platform/mdb/mdb_translation_db.h"
#include "startup/launch.h"
#include "support/mdb_fixtures.h"
#include "support/test_platform.h"
#include "translation/exporter.h"

namespace quo::test {
namespace {

// A language file's expected content from (window, key, text) rows.
std::string File(const std::vector<std::array<std::string, 3>>& rows) {
  std::string text;
  for (const auto& r : rows) text += PadRight(r[0], 40) + PadRight(r[1], 40) + r[2] + "\r\n";
  return text;
}

// The reader of the translators' databases.
TEST(MdbTranslationDb, ReadsEveryDataPageOfALargeTable) {
  MdbTranslationDb db;
  db.Open(MdbFixture("traduction_grande.mdb"));
  const std::vector<DbRow> rows = db.ReadRows("Traduction");
  ASSERT_EQ(rows.size(), 3000u);
  const auto nulls = std::count_if(rows.begin(), rows.end(), [](const DbRow& r) { return !r[3]; });
  EXPECT_EQ(nulls, 600);
  EXPECT_TRUE(std::all_of(rows.begin(), rows.end(), [](const DbRow& r) {
    return r[2] && r[2]->ends_with(" é") && r[2]->starts_with("Libellé numéro ");
  }));
}

// Every bad file gives quo::Error, never a crash, a hang or a partial table.
TEST(MdbTranslationDb, BadFilesGiveErrors) {
  TempDir dir;
  const std::string largeDb = ReadFile(MdbFixture("traduction_grande.mdb"));
  WriteFile(dir / "text.mdb", "Formulaire;Controle;1036\r\n_;Sortir;Sortir\r\n");
  WriteFile(dir / "empty.mdb", "");
  WriteFile(dir / "cut_header.mdb", largeDb.substr(0, 1000));
  WriteFile(dir / "cut_catalog.mdb", largeDb.substr(0, 65536));
  WriteFile(dir / "cut_rows.mdb", largeDb.substr(0, 200000));
  // Access 2007 header over data that is no database.
  std::string accdb = ReadFile(MdbFixture("traduction.mdb")).substr(0, 4096);
  accdb.replace(4, 15, "Standard ACE DB");
  accdb += std::string(60000, '\x5a');
  WriteFile(dir / "fake.accdb", accdb);
  WritePatchedMdb("traduction.mdb", dir / "crash.mdb", kCrashLibmdb);
  WritePatchedMdb("traduction.mdb", dir / "no_table.mdb", kRenameTable);
  MakeDirs(dir / "folder.mdb");

  for (const char* name :
       {"text.mdb", "empty.mdb", "cut_header.mdb", "cut_catalog.mdb", "cut_rows.mdb", "fake.accdb",
        "crash.mdb", "no_table.mdb", "folder.mdb", "absent.mdb"}) {
    SCOPED_TRACE(name);
    MdbTranslationDb db;
    EXPECT_THROW(
        {
          db.Open(dir / name);
          db.Columns("Traduction");
          db.ReadRows("Traduction");
        },
        Error);
  }
}

TEST(MdbTranslationDb, ReadsColumnsInTableOrderTellsNullFromEmptyAndReopens) {
  MdbTranslationDb db;
  EXPECT_THROW(db.Columns("Traduction"), Error);  // nothing open yet
  db.Open(MdbFixture("traduction.mdb"));
  EXPECT_EQ(db.Columns("Traduction"),
            (std::vector<std::string>{"Formulaire", "Controle", "1036", "1033", "1031"}));
  const std::vector<DbRow> rows = db.ReadRows("Traduction");
  for (const DbRow& row : {DbRow{"_", "Connectionauserveurencours", "Connexion au serveur en cours",
                                 "Connecting to the server", std::nullopt},
                           DbRow{"frmParam", "cmdOK", "Valider", "", "OK"}})
    EXPECT_NE(std::find(rows.begin(), rows.end(), row), rows.end()) << *row[1];
  db.Open(MdbFixture("traduction_sans1036.mdb"));
  EXPECT_EQ(db.Columns("Traduction"),
            (std::vector<std::string>{"Formulaire", "Controle", "1033", "1031"}));
  EXPECT_EQ(db.ReadRows("Traduction"), (std::vector<DbRow>{{"_", "Sortir", "Exit", "Beenden"}}));
  db.Close();
  EXPECT_THROW(db.ReadRows("Traduction"), Error);
}

// The export of the database to the language files.
struct ExportTest : ::testing::Test {
  ExportTest() { t.platform.translationDb = &db; }
  void UseDatabase(const std::string& fixture) {
    WritePatchedMdb(fixture, t.prog("TraductionUpdate.mdb"));
  }
  std::string Lng(const std::string& name) {
    return ReadFile(t.prog("LanguesUpdate/" + name + ".lng"));
  }
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
  // Window, control, then the 1036, 1033 and 1031 cells ("" is NULL, or empty in 1033's cmdOK
  // and 1031's MainWindow).
  const std::vector<std::array<std::string, 5>> rows = {
      {"_", "Aucunenouvelemiseàjourdedisponible", "Aucune nouvelle mise à jour disponible",
       "No new update available", ""},
      {"_", "Connectionauserveurencours", "Connexion au serveur en cours",
       "Connecting to the server", ""},
      {"_", "Hebdomadaire", "Hebdomadaire", "Weekly", "Wöchentlich"},
      {"_", "Mensuel", "Mensuel", "Monthly", "Monatlich"},
      {"_", "Miseàjourdésactivé", "Mise à jour désactivée", "Updates disabled",
       "Aktualisierung deaktiviert"},
      {"_", "Sortir", "Sortir", "Exit", "Beenden"},
      {"frmParam", "cmdOK", "Valider", "", "OK"},
      {"frmParam", "Frame1", "Serveur", "Server", "Server"},
      {"frmParam", "frmParam", "Configuration", "Settings", "Einstellungen"},
      {"frmTestFTP", "cmdOptions", "Options...", "Options...", "Optionen..."},
      {"frmTestFTP", "frmTestFTP", "Quorvanta Mise à jour", "Quorvanta Update", ""},
      {"frmTestFTP", "mnuStop", "Arrêter", "Stop", "Anhalten"},
      {"frmTestFTPToolTipText", "cmdRechercher", "Chercher une mise à jour sur le serveur",
       "Look for an update on the server", ""},
  };
  for (const bool fill : {false, true}) {
    SCOPED_TRACE(fill ? "fillMissing" : "at start-up");
    if (fill)
      ExportTranslations(t.platform, t.app->programDir, true);
    else  // start-up exports, then loads the language it names
      ASSERT_TRUE(PlanLaunch(*t.app, {"2.1.0", t.dir.path(), "1033", "1"}).proceed);
    for (const auto& [name, col] :
         {std::pair{"1036", 2}, std::pair{"1033", 3}, std::pair{"1031", 4}}) {
      SCOPED_TRACE(name);
      std::string expected;
      for (const auto& r : rows)
        expected += File({{r[0], r[1], fill && r[col].empty() ? r[2] : r[col]}});
      EXPECT_EQ(Lng(name), expected);
    }
    EXPECT_EQ(Folder(), (std::vector<std::string>{"1031.lng", "1033.lng", "1036.lng", "3082.lng"}));
  }
  // Columns are counted in characters: accented keys are padded to 40 characters, not bytes.
  EXPECT_NE(Lng("1033").find("\r\n_" + std::string(39, ' ') + "Miseàjourdésactivé" +
                             std::string(22, ' ') + "Updates disabled\r\n"),
            std::string::npos);
  EXPECT_EQ(t.app->Translate("Sortir"), "Exit");
}

TEST_F(ExportTest, SortsLikeTheDatabaseIgnoringLetterCase) {
  UseDatabase("traduction_order.mdb");
  ExportTranslations(t.platform, t.app->programDir, false);
  const std::string forty = "abcdefghijklmnopqrstuvwxyzabcdefghijklmn";
  EXPECT_EQ(Lng("1033"), File({{"_", "x", "en _-x"},
                               {forty, "exactly40", "forty"},
                               {"frma", "Y", "en a-Y"},
                               {"FRMA", "z", "en A-z"},
                               {"Frmb", "A", "en B-A"},
                               {"frmb", "b", "en b-b"}}));
}

// A database that breaks a rule, or cannot be read, replaces no language file and leaves no
// temporary file behind.
TEST_F(ExportTest, StopsWithoutReplacingAnyFile) {
  const struct {
    const char* fixture;
    MdbPatch patch;
  } cases[] = {
      {"traduction_longkey.mdb", {}},    // a key of 42 characters
      {"traduction_11langues.mdb", {}},  // 11 language columns
      {"traduction_sans1036.mdb", {}},   // no column 1036
      {"traduction.mdb", kNullFormulaire},
      {"traduction.mdb", kNullControle},
      {"traduction.mdb", kRenameControle},
      {"traduction.mdb", kCrashLibmdb},  // the reader crashes
  };
  t.WriteLanguage(1036, {{"_", "Sortir", "ancien"}});
  t.WriteLanguage(1033, {{"_", "Sortir", "old"}});
  const std::string database = t.prog("TraductionUpdate.mdb");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fixture);
    WritePatchedMdb(c.fixture, database, c.patch);
    ExportTranslations(t.platform, t.app->programDir, true);
    EXPECT_EQ(Lng("1036"), File({{"_", "Sortir", "ancien"}}));
    EXPECT_EQ(Lng("1033"), File({{"_", "Sortir", "old"}}));
    EXPECT_EQ(Folder(), (std::vector<std::string>{"1033.lng", "1036.lng"}));
  }
}

TEST_F(ExportTest, WithoutDatabaseReaderOrWritableFileNothingIsReplaced) {
  // No database: only the folder is made.
  ExportTranslations(t.platform, t.app->programDir, false);
  EXPECT_TRUE(Folder().empty());
  UseDatabase("traduction.mdb");
  t.platform.translationDb = nullptr;  // no reader on this platform
  ExportTranslations(t.platform, t.app->programDir, false);
  EXPECT_TRUE(Folder().empty());
  t.platform.translationDb = &db;
  t.WriteLanguage(1036, {{"_", "Sortir", "ancien"}});
  MakeDirs(t.prog("LanguesUpdate/1031.lng.new"));  // the last temporary file cannot be written
  ExportTranslations(t.platform, t.app->programDir, false);
  EXPECT_EQ(Lng("1036"), File({{"_", "Sortir", "ancien"}}));
  EXPECT_EQ(Folder(), (std::vector<std::string>{"1031.lng.new", "1036.lng"}));
}

}  // namespace
}  // namespace quo::test
