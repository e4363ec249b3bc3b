// Windows tests run under Wine: the Linux side (the test FTP server, a Linux program) sees files
// by their Unix path.
#pragma once

#include <string>

namespace quo::test {

// The Unix path of a Windows path ("C:/users/..." or "Z:\tmp\..."); throws when Wine cannot tell
// (not running under Wine).
std::string UnixPath(const std::string& windowsPath);

}  // namespace quo::test
