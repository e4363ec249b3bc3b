// Text at the Windows API: the program speaks UTF-8 with "/" in paths, the API's *W functions take
// UTF-16; the conversion happens only at the call.
#pragma once

#include <string>

namespace quo::win32 {

std::wstring Widen(const std::string& utf8);  // text that is not UTF-8 gets U+FFFD
std::string Narrow(const std::wstring& utf16);
// A path as the API wants it: UTF-16 with "\" separators.
std::wstring WidePath(const std::string& path);
// The system's text for an error code (GetLastError), in UTF-8 on one line.
std::string ErrorText(unsigned long code);

}  // namespace quo::win32
