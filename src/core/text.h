// Text helpers shared by every module: numbers read from text, rounding, encodings, case.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quo {

// Value of the number the text begins with (blanks skipped, optional sign, digits, optional
// "." fraction); 0 when the text does not begin with a number. Never throws.
double NumericValue(std::string_view text);

// Nearest whole number, halves to the even neighbour; clamped to the range of long long.
long long RoundHalfEven(double value);

// NumericValue rounded half to even, clamped to int.
int WholeValue(std::string_view text);

// A numeric flag: set when the numeric value is greater than 0.
bool FlagValue(std::string_view text);

// Splits on every occurrence of sep, keeping empty fields ("" gives one empty field).
std::vector<std::string> Split(std::string_view text, char sep);

// True when text is valid UTF-8.
bool IsValidUtf8(std::string_view text);

// Text read from a file: kept when valid UTF-8, else decoded as Windows-1252.
std::string DecodeFileText(std::string_view bytes);

// Number of characters of UTF-8 text (invalid bytes count one each).
std::size_t Utf8Length(std::string_view text);

// The first n characters of UTF-8 text, and the rest after them.
std::string Utf8Left(std::string_view text, std::size_t n);
std::string Utf8Mid(std::string_view text, std::size_t start);

// Pads UTF-8 text with spaces to width characters (longer text is kept whole).
std::string PadRight(std::string_view text, std::size_t width);

// Lower case of ASCII and Latin-1 letters (UTF-8 in, UTF-8 out); other characters unchanged.
std::string FoldCase(std::string_view text);

// Case-insensitive equality of two UTF-8 texts by FoldCase.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// Strips surrounding blanks (space and tab).
std::string Trim(std::string_view text);

// Whether text holds a control character (a byte below 0x20, or DEL), and text with each of them
// replaced by "?" (what is shown of a name or a reply on one line).
bool HasControlChar(std::string_view text);
std::string Printable(std::string_view text);

bool EndsWith(std::string_view text, std::string_view tail);
bool StartsWith(std::string_view text, std::string_view head);

// A version: three decimal numbers of 1 to 9 digits separated by "." (2.1.0), nothing else.
bool IsVersionText(std::string_view v);

}  // namespace quo
