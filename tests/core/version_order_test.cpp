#include "core/version_order.h"

#include <gtest/gtest.h>

namespace quo {
namespace {

TEST(VersionOrderTest, BIsNewerThanAInOrdinaryVersionOrder) {
  struct Case {
    const char *a, *b;
    bool newer;
  };
  const Case cases[] = {
      {"1.2.3", "1.2.4", true},
      {"1.2.3", "1.2.3", false},
      {"1.2.3", "2.0.0", true},
      {"1.9.0", "1.10.0", true},  // numbers, not texts
      // An earlier position decides.
      {"2.0.5", "1.0.6", false},
      {"1.1.9", "1.2.0", true},
      // Each part counts for the number it begins with.
      {"01.002.3", "1.2.3", false},
      {"1.a.3", "1.1.3", true},
      {"1.2b.3", "1.2.4", true},
      // Not a three-part version: never newer.
      {"1.2", "1.3", false},
      {"1.2.3", "1.2", false},
      {"1.2.3.4", "1.2.3.5", false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.newer, IsNewerVersion(c.a, c.b)) << c.a << " < " << c.b;
}

}  // namespace
}  // namespace quo
