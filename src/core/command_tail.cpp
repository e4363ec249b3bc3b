#include "core/command_tail.h"

namespace quo {

std::string CommandTail(const std::string& commandLine) {
  const auto blank = [&](std::size_t at) {
    return at < commandLine.size() && (commandLine[at] == ' ' || commandLine[at] == '\t');
  };
  std::size_t i = 0;
  for (bool quoted = false; i < commandLine.size() && (quoted || !blank(i)); ++i)
    if (commandLine[i] == '"') quoted = !quoted;
  while (blank(i)) ++i;
  std::string tail = commandLine.substr(i);
  if (tail.size() >= 2 && tail.front() == '"' && tail.find('"', 1) == tail.size() - 1)
    tail = tail.substr(1, tail.size() - 2);
  return tail;
}

}  // namespace quo
