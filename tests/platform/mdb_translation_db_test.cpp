#include "platform/posix/mdb_translation_db.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/error.h"
#include "support/mdb_fixtures.h"
#include "support/temp_dir.h"

namespace quo::test {
namespace {

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
  const std::string grande = ReadFile(MdbFixture("traduction_grande.mdb"));
  WriteFile(dir / "text.mdb", "Formulaire;Controle;1036\r\n_;Sortir;Sortir\r\n");
  WriteFile(dir / "empty.mdb", "");
  WriteFile(dir / "cut_header.mdb", grande.substr(0, 1000));
  WriteFile(dir / "cut_catalog.mdb", grande.substr(0, 65536));
  WriteFile(dir / "cut_rows.mdb", grande.substr(0, 200000));
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
  EXPECT_EQ(rows.size(), 13u);
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

}  // namespace
}  // namespace quo::test
