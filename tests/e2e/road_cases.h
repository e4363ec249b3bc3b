// Roads of an update that the Linux and the Windows end-to-end tests take alike, on their own
// fixtures (Serve, Launch, Product, Setting, DownloadsKept, product).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/dates.h"
#include "support/temp_dir.h"

namespace quo::test {

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
  road.Serve("upd/Actions.ini",
             "[ordre]\r\nnb=3\r\nversionActuelle=2.1.1\r\n1=a.txt\r\n2=" + prog +
                 "\r\n3=c.txt\r\n[a.txt]\r\ncopie=1\r\nbackup=1\r\n[" + prog +
                 "]\r\ncopie=1\r\nbackup=1\r\nenregistrement=1\r\ntype=exeX\r\n"
                 "[c.txt]\r\ncopie=1\r\nbackup=1\r\n");
  for (const std::string& name : {std::string("a.txt"), prog, std::string("c.txt")}) {
    road.Serve("upd/" + name, "new " + name);
    WriteFile(road.product / name, name == prog ? slow : "old " + name);
  }
}

}  // namespace quo::test
