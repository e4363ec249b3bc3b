// Version texts: three numbers separated by "." (for example 2.1.0).
#pragma once

#include <string>

namespace quo {

// True when version b is newer than version a: its (major, minor, revision) is greater, compared
// in that order. Each part counts for the number it begins with (0 when none). False when either
// text is empty or does not have exactly three parts.
bool IsNewerVersion(const std::string& a, const std::string& b);

}  // namespace quo
