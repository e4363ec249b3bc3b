#include "startup/command_line.h"

#include "core/text.h"

namespace quo {

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine cl;
  if (args.empty()) return cl;
  if (args.size() == 1) {
    cl.whole = args[0];
    if (!cl.whole.empty()) cl.fields = Split(cl.whole, '/');
    return cl;
  }
  for (std::size_t i = 0; i < args.size(); ++i) cl.whole += (i ? " " : "") + args[i];
  cl.fields = args;
  return cl;
}

}  // namespace quo
