// The arguments of a Windows command line, as the program reads them (portable: the Windows
// build reads its command line with it, the fuzz tests run it on Linux).
#pragma once

#include <string>

namespace quo {

// What follows the program's name in a command line: the name is skipped as the C runtime
// reads it (up to the first blank outside quotes: "C:\Program Files\x.exe" is one name), then
// the blanks after it. The rest is kept as it is, but for one pair of quotes around all of it
// (a launcher that quotes each argument quotes the whole line of fields).
std::string CommandTail(const std::string& commandLine);

}  // namespace quo
