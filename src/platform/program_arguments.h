// The program's arguments, as UTF-8 text. On Linux they are argv[1..]. On Windows the program
// gets one argument: the whole of its command line after the program's name, never split (the
// product separates its fields with "/", and a folder may hold blanks); none when that is empty.
#pragma once

#include <string>
#include <vector>

namespace quo {

std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace quo
