// Shared by the extraction tests: a test program folder with the real RAR library, and a view of
// a folder tree as (relative path -> content) for comparisons.
#pragma once

#include <map>
#include <string>

#include "platform/posix/libarchive_rar.h"
#include "support/test_platform.h"

namespace quo::test {

struct RarApp {
  explicit RarApp(LibarchiveRar::Options options = {}) : rar(options) { t.platform.rar = &rar; }
  TestApp t;
  LibarchiveRar rar;
};

// Every file and folder under root: files map to their content, folders to "<dir>", links to
// "<link>".
std::map<std::string, std::string> Tree(const std::string& root);

// The fixtures folder of real RAR archives, "" when it is absent.
std::string RarFixtures();

}  // namespace quo::test
