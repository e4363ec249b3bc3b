// Runs a piece of work in a child process, for libraries that may crash or loop on bad input.
#pragma once

#include <functional>
#include <string>

namespace quo {

// Runs work in a forked child and returns the text it produced. Throws quo::Error with the
// work's own message when it threw, and quo::Error when the child died, was stopped after
// timeoutMs, or could not be started. The child's standard error goes to /dev/null.
std::string RunIsolated(const std::function<std::string()>& work, int timeoutMs);

}  // namespace quo
