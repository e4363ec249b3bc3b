// The check schedule with a fixed clock and a real settings file.
#include "startup/schedule.h"

#include <gtest/gtest.h>

#include "startup/dates.h"
#include "support/test_platform.h"

namespace quo {
namespace {

struct Case {
  const char* frequence;
  const char* dernier;  // nullptr: no key
  bool due;
};

TEST(IsCheckDue, Table) {
  // Now: Sunday 06/12/2026 10:00:00.
  const Case cases[] = {
      {nullptr, nullptr, false},                     // fresh installation: disabled
      {"0", "01/01/2000 00:00:00", false},           // disabled
      {"1", nullptr, true},                          // schedule set, no installation yet
      {"1", "not a date", true},                     // unreadable
      {"1", "31/02/2026 10:00:00", true},            // impossible date
      {"1", "29/11/2026 23:59:59", true},            // 7 calendar days, 6 days 10 h by the clock
      {"1", "30/11/2026 00:00:00", false},           // 6 calendar days
      {"1", "2026-11-29 23:59:59", true},            // ISO form
      {"1", "13/12/2026 10:00:00", false},           // in the future (clock set back)
      {"2", "30/11/2026 10:00:00", true},            // last day of the previous month
      {"2", "01/12/2026 00:00:00", false},           // earlier the same month
      {"2", "31/12/2025 00:00:00", true},            // across a year
      {"3", nullptr, false},                         // no such schedule
      {"-1", "01/01/2000 00:00:00", false},
      {"1.5", "30/11/2026 10:00:00", true},          // 1.5 rounds to 2: monthly
      {"2.5", "01/12/2026 10:00:00", false},         // 2.5 rounds to 2
      {"0.5", "01/01/2000 00:00:00", false},         // 0.5 rounds to 0
      {"abc", nullptr, false},
  };
  for (const Case& c : cases) {
    test::TestApp t;
    if (c.frequence) t.app->ini.Write("temps", "frequence", c.frequence);
    if (c.dernier) t.app->ini.Write("temps", "dernier", c.dernier);
    EXPECT_EQ(IsCheckDue(*t.app), c.due) << c.frequence << " / " << (c.dernier ? c.dernier : "-");
  }
}

TEST(Dates, WrittenFormReadsBack) {
  const DateTime t{2026, 2, 28, 7, 5, 9};
  EXPECT_EQ(FormatDate(t), "28/02/2026 07:05:09");
  EXPECT_EQ(ParseDate(FormatDate(t)), t);
  EXPECT_EQ(ParseDate("2024-02-29 23:59:59"), (DateTime{2024, 2, 29, 23, 59, 59}));
  for (const char* bad : {"", "28/02/2026", "29/02/2026 00:00:00", "28/02/2026 24:00:00",
                          "28-02-2026 00:00:00", "28/02/2026 00:00:00 extra", "1/2/2026 1:2:3"})
    EXPECT_FALSE(ParseDate(bad)) << bad;
  EXPECT_EQ(DayNumber({1970, 1, 1}), 0);
  EXPECT_EQ(DayNumber({2000, 3, 1}) - DayNumber({2000, 2, 28}), 2);
}

}  // namespace
}  // namespace quo
