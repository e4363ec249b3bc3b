// The command line as fields. One argument is the Windows form, split on "/" (empty fields
// kept, no quoting, no trimming); several arguments are the Linux form, one field each, and the
// whole line is the arguments joined by single spaces.
#pragma once

#include <string>
#include <vector>

namespace quo {

struct CommandLine {
  std::string whole;                // "" when the program got no argument
  std::vector<std::string> fields;  // empty when whole is empty
};

CommandLine ParseCommandLine(const std::vector<std::string>& args);

}  // namespace quo
