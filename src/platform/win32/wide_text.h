// The program's UTF-8 text to and from the UTF-16 of the Windows API (the *W calls), converted
// only at the call.
#pragma once

#include <string>
#include <string_view>

namespace quo {

// An invalid UTF-8 sequence becomes U+FFFD.
std::wstring WideOf(std::string_view utf8);
// An unpaired surrogate becomes U+FFFD.
std::string Utf8Of(std::wstring_view utf16);

}  // namespace quo
