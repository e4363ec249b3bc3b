#include "core/text.h"

#include <gtest/gtest.h>

namespace quo {
namespace {

TEST(NumericValue, ReadsTheLeadingNumberOnly) {
  const struct {
    const char* text;
    double value;
  } cases[] = {{"", 0},      {"abc", 0},   {"12", 12},      {" 7.5xyz", 7.5}, {"-3", -3},
               {"+4", 4},    {"1.2.3", 1.2}, {".5", 0.5},   {"1e9", 1},       {"-", 0},
               {"0x10", 0},  {"\t2", 2},   {"99999999999999999999999", 1e23}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(NumericValue(c.text), c.value) << c.text;
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbourAndWholeValuesStayInt) {
  for (const auto& [value, want] : std::vector<std::pair<double, long long>>{
           {0.5, 0}, {1.5, 2}, {2.5, 2}, {-2.5, -2}, {2.6, 3}})
    EXPECT_EQ(RoundHalfEven(value), want) << value;
  EXPECT_EQ(WholeValue("99999999999999"), 2147483647);
  EXPECT_EQ(WholeValue("-99999999999999"), -2147483647 - 1);
}

TEST(Flags, SetOnlyAboveZero) {
  for (const char* on : {"1", "0.5"}) EXPECT_TRUE(FlagValue(on)) << on;
  for (const char* off : {"0", "-1", "oui"}) EXPECT_FALSE(FlagValue(off)) << off;
}

TEST(Split, KeepsEmptyFields) {
  EXPECT_EQ(Split("a//b/", '/'), (std::vector<std::string>{"a", "", "b", ""}));
  EXPECT_EQ(Split("", '/'), (std::vector<std::string>{""}));
}

TEST(Encoding, Windows1252IsDecodedWhenNotUtf8) {
  EXPECT_EQ(DecodeFileText("caf\xE9 \x80"), "café €");
  EXPECT_EQ(DecodeFileText("café"), "café");  // valid UTF-8 stays
  EXPECT_FALSE(IsValidUtf8("\xC0\x80"));      // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // surrogate
}

TEST(Characters, CountedAndFoldedNotBytes) {
  EXPECT_EQ(Utf8Length("é€a"), 3u);
  EXPECT_EQ(Utf8Left("é€a", 2), "é€");
  EXPECT_EQ(Utf8Mid("é€a", 2), "a");
  EXPECT_EQ(PadRight("é", 3), "é  ");
  EXPECT_EQ(Utf8Length("\xFF\xFE"), 2u);  // invalid bytes count one each
  // ASCII and Latin-1 capitals fold; "×" is no letter, and beyond Latin-1 nothing folds.
  EXPECT_EQ(FoldCase("SORTIR Éé ÀÞ × Œ"), "sortir éé àþ × Œ");
}

}  // namespace
}  // namespace quo
