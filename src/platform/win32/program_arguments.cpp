#include "platform/program_arguments.h"

#include <windows.h>

#include "core/command_tail.h"
#include "platform/win32/wide.h"

namespace quo {

std::vector<std::string> ProgramArguments(int, char**) {
  std::string tail = CommandTail(win32::Narrow(::GetCommandLineW()));
  if (tail.empty()) return {};
  return {tail};
}

}  // namespace quo
