// Roads of an update that the Linux and the Windows end-to-end tests take alike, on their own
// fixtures (Serve, Launch, Product, Setting, SignAndTrust, DownloadsKept, product).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/dates.h"
#include "core/text.h"
#include "install/install_journal.h"
#include "support/temp_dir.h"
#include "support/test_key.h"

namespace quo::test {

struct ProgramResult {
  int status = -1;  // exit status; -1 when the test ended it, or it never started
  std::string err;  // what it wrote on standard error
};

// Five sections with backups; the third needs a folder where the product has a file. The run
// fails (1), every file is put back under its own name, the downloads are kept for the next run
// and no version is recorded (only the date of the check).
template <class Road>
void ThirdOfFiveSectionsFailsAndIsRolledBack(Road& road) {
  std::string order = "[ordre]\r\nnb=5\r\nversionActuelle=2.1.1\r\n", sections;
  for (int i = 1; i <= 5; ++i) {
    const std::string name = "f" + std::to_string(i) + ".txt";
    order += std::to_string(i) + "=" + name + "\r\n";
    sections +=
        "[" + name + "]\r\ncopie=1\r\nbackup=1\r\n" + (i == 3 ? "destination=Bloque\r\n" : "");
    road.Serve("upd/" + name, "new " + std::to_string(i));
    WriteFile(road.product / name, "old " + std::to_string(i));
  }
  road.Serve("upd/Actions.ini", order + sections);
  WriteFile(road.product / "Bloque", "a file where section 3 needs a folder");

  const auto r = road.Launch();
  EXPECT_EQ(r.status, 1) << r.err;
  for (int i = 1; i <= 5; ++i)
    EXPECT_EQ(road.Product("f" + std::to_string(i) + ".txt"), "old " + std::to_string(i)) << i;
  EXPECT_FALSE(Exists(road.product / "OLDf1.txtBack"));  // put back under its own name
  EXPECT_TRUE(road.DownloadsKept());
  EXPECT_EQ(road.Setting("temps", "DerniereVersion"), "");
  EXPECT_TRUE(ParseDate(road.Setting("temps", "dernier")));
  EXPECT_NE(r.err.find("Des erreurs ont eu lieu"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Fichier : f3.txt"), std::string::npos) << r.err;
}

// Three sections with backups; the second, the program prog, is registered (exeX), and the
// product's copy of it (slow) takes its time to unregister: a run ended then has the first section
// in place and the second under way.
template <class Road>
void ServeThreeSectionsSlowSecond(Road& road, const std::string& prog, const std::string& slow) {
  road.Serve("upd/Actions.ini", "[ordre]\r\nnb=3\r\nversionActuelle=2.1.1\r\n1=a.txt\r\n2=" + prog +
                                    "\r\n3=c.txt\r\n[a.txt]\r\ncopie=1\r\nbackup=1\r\n[" + prog +
                                    "]\r\ncopie=1\r\nbackup=1\r\nenregistrement=1\r\ntype=exeX\r\n"
                                    "[c.txt]\r\ncopie=1\r\nbackup=1\r\n");
  for (const std::string& name : {std::string("a.txt"), prog, std::string("c.txt")}) {
    road.Serve("upd/" + name, "new " + name);
    WriteFile(road.product / name, name == prog ? slow : "old " + name);
  }
}

// The publisher signs the version list and the action file, which gives the package's SHA-256 and
// size, and the settings trust the key (road.SignAndTrust): the signed update installs; a changed
// package fails (1); a changed action file, a missing signature or an older version is refused (2)
// before any package is fetched. The product is untouched but by the good one.
template <class Road>
void SignedUpdateInstallsAndAnyChangeIsRefused(Road& road) {
  const std::string actions = road.served / "maj/upd/Actions.ini";
  const struct {
    std::string what, version;
    std::function<void()> change;
    int status;
    std::string told;
  } cases[] = {
      {"signed", "2.1.1", [] {}, 0, "Mise à jour correctement terminée."},
      {"package changed", "2.1.1", [&] { road.Serve("upd/Quorvanta.exe", "exe 6.6.6"); }, 1,
       "Quorvanta.exe  Fichier corrompu (SHA-256 différent)"},
      {"action file changed", "2.1.1", [&] { WriteFile(actions, ReadFile(actions) + "\r\n"); }, 2,
       "signature non valide : Actions.ini"},
      {"no signature", "2.1.1", [&] { std::filesystem::remove(actions + ".sig"); }, 2,
       "signature absente : Actions.ini.sig"},
      {"older version", "2.0.9", [] {}, 2, "pas plus récente que la version installée (2.1.0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string package = "exe " + c.version;
    road.Serve("upd/Quorvanta.exe", package);
    road.Serve("upd/Actions.ini",
               "[ordre]\r\nnb=1\r\nversionActuelle=" + c.version +
                   "\r\n1=Quorvanta.exe\r\n[Quorvanta.exe]\r\ncopie=1\r\nsha256=" +
                   Sha256Hex(package) + "\r\ntaille=" + std::to_string(package.size()) + "\r\n");
    road.SignAndTrust();
    c.change();
    WriteFile(road.product / "Quorvanta.exe", "exe 2.1.0");
    const auto r = road.Launch();
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.told), std::string::npos) << r.err;
    EXPECT_EQ(road.Product("Quorvanta.exe"), c.status == 0 ? "exe 2.1.1" : "exe 2.1.0");
    EXPECT_FALSE(c.status == 2 && Exists(road.program.dir / "Download/Quorvanta.exe"));
  }
}

// A journal from its records (";") of fields ("|"): "R/..." is in the product's folder, "O/..." in
// the folder beside it, "U/..." there through ".."; a name "LONG" is past a line's cap; a head
// for the product comes first unless one is given; a record starting with "!" has a bad checksum.
struct Places {
  std::string root, out, up;
};
inline std::string Journal(const std::string& records, const Places& at) {
  const bool head = records.starts_with("head") || records.starts_with("!head");
  std::string text = head ? "" : JournalLine({"head", "2.1.0", "2.1.1", at.root}) + "\r\n";
  for (std::string record : Split(records, ';')) {
    const bool broken = record.starts_with("!");
    std::vector<std::string> fields = Split(record.substr(broken ? 1 : 0), '|');
    for (std::string& f : fields) {
      const std::string rest = f.size() > 2 ? f.substr(2) : "";
      f = f.starts_with("R/")   ? at.root + rest
          : f.starts_with("O/") ? at.out + rest
          : f.starts_with("U/") ? at.up + rest
                                : f;
      // Folders of plain names, so that only the length is wrong.
      while (f.ends_with("LONG") && f.size() <= kJournalLineMax + 4)
        f.insert(f.size() - 4, std::string(200, 'a') + "/");
      if (f.ends_with("LONG")) f.replace(f.size() - 4, 4, "a");
    }
    text += JournalLine(fields) + (broken ? "0" : "") + "\r\n";
  }
  return text;
}
// a.txt installed with its backup, stopped once copied: its recovery puts the backup back.
inline const std::string kRestore = "plan|1|R/a.txt|R/OLDa.txtBack|||0;start|1;backup|1;copy|1";

// A forged journal (Journal's records), and what else the forger does once it is in place.
struct Forgery {
  std::string what, records;
  std::function<void(const std::string& journal, const std::string& outside)> then = {};
};

// The forgeries any system meets: files, backups or components outside the product, a version
// that is not one, records not laid out as the program writes them.
inline const std::vector<Forgery> kForgedJournals = {
    {"absolute path", "plan|1|O/victim.txt|O/OLDvictim.txtBack|||0;start|1;backup|1;copy|1"},
    {"dotdot path", "plan|1|U/victim.txt|U/OLDvictim.txtBack|||0;start|1;backup|1;copy|1"},
    {"backup elsewhere", "plan|1|R/a.txt|O/victim.txt|||0;start|1;backup|1;copy|1"},
    {"component outside", "plan|1|O/prog|||exeX|1;start|1;register|1"},
    {"not a version", "head|2.1.0|99|R/;" + kRestore},
    {"damaged head", "!head|2.1.0|2.1.1|R/;" + kRestore},
    {"line past the cap", "plan|1|R/LONG||||0"},
    {"plan after a step", kRestore + ";plan|2|R/b||||0"},
    {"section planned twice", "plan|1|R/b||||0;" + kRestore},
    {"step of no section", kRestore + ";copy|2"},
    {"section 0", "plan|0|R/a.txt|R/OLDa.txtBack|||0;start|0;backup|0;copy|0"},
};

// Forged journals steer nothing: started with no check due (road.LaunchFor), nothing outside the
// product nor in it changes, the start fails (1) saying so, the journal is set aside, and the next
// start is not held back. A sound journal of another folder is left until a start about that
// folder recovers it; a committed one cannot record a version older than the settings' own.
template <class Road>
void ForgedJournalsSteerNothing(Road& road, std::vector<Forgery> more = {}) {
  TempDir outside;
  WriteFile(outside / "victim.txt", "victim");
  WriteFile(outside / "OLDvictim.txtBack", "planted");
  WriteFile(outside / "prog", "a program");
  WriteFile(road.product / "a.txt", "old a.txt");
  WriteFile(road.product / "OLDa.txtBack", "a backup");
  const std::string root = road.Root(road.product.path()), out = road.Root(outside.path());
  const std::string o = outside.path(), name = o.substr(o.rfind('/', o.size() - 2) + 1);
  const Places at{root, out, root + "../" + name};
  const std::string journal = road.program.dir / "QuoUpdate.journal",
                    refused = journal + ".refused";
  more.insert(more.begin(), kForgedJournals.begin(), kForgedJournals.end());
  const auto outsideBefore = Tree(outside.path());
  for (const Forgery& f : more) {
    SCOPED_TRACE(f.what);
    WriteFile(journal, Journal(f.records, at));
    if (f.then) f.then(journal, outside.path());
    const auto inProduct = Tree(road.product.path());
    const auto r = road.LaunchFor(road.product.path());
    EXPECT_TRUE(r.status == 1 && r.err.find("Journal d'installation refusé") != std::string::npos)
        << r.status << r.err;
    EXPECT_TRUE(!Exists(journal) && Exists(refused));
    EXPECT_TRUE(Tree(outside.path()) == outsideBefore && Tree(road.product.path()) == inProduct);
    EXPECT_EQ(road.LaunchFor(road.product.path()).status, 0);
  }

  // Another folder's installation, interrupted with its file copied: that folder's start puts
  // its original back.
  WriteFile(outside / "victim.txt", "new victim");
  WriteFile(journal, Journal("head|2.1.0|2.1.1|O/;plan|1|O/victim.txt|O/OLDvictim.txtBack|||0;"
                             "start|1;backup|1;copy|1",
                             at));
  auto r = road.LaunchFor(road.product.path());
  EXPECT_TRUE(r.status == 1 && r.err.find("de ce dossier : " + out) != std::string::npos &&
              Exists(journal))
      << r.err;
  r = road.LaunchFor(outside.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(outside / "victim.txt"), "planted");
  EXPECT_FALSE(Exists(journal) || Exists(outside / "OLDvictim.txtBack"));

  // Committed, but older than what the settings record: finished, the record kept.
  road.SetSetting("temps", "DerniereVersion", "2.2.0");
  const auto productBefore = Tree(road.product.path());
  WriteFile(journal, Journal("plan|1|R/a.txt||||0;commit", at));
  EXPECT_EQ(road.LaunchFor(road.product.path()).status, 0);
  EXPECT_EQ(road.Setting("temps", "DerniereVersion"), "2.2.0");
  EXPECT_FALSE(Exists(journal));
  EXPECT_EQ(Tree(road.product.path()), productBefore);
}

}  // namespace quo::test
