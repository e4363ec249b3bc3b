// Random command lines, in both forms: splitting must not crash and must keep every field.
#include <cstdlib>
#include <string>
#include <vector>

#include "core/text.h"
#include "startup/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const quo::CommandLine one = quo::ParseCommandLine({text});
  std::string joined;
  for (std::size_t i = 0; i < one.fields.size(); ++i) joined += (i ? "/" : "") + one.fields[i];
  if (joined != one.whole) std::abort();
  quo::ParseCommandLine(quo::Split(text, '\0'));
  quo::NumericValue(text);  // the numbers of the command line
  return 0;
}
