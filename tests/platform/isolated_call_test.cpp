#include "platform/posix/isolated_call.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <functional>

#include "core/error.h"

namespace quo::test {
namespace {

// The child's text whole; the work's own message when it threw; the reader's fate when it
// crashed, exited or hung.
TEST(RunIsolated, ReturnsTheChildsTextOrItsFailure) {
  const std::string big(300000, 'q');  // more than a pipe holds at once
  EXPECT_EQ(RunIsolated([&] { return big + std::string(1, '\0') + "end"; }, 10000),
            big + std::string(1, '\0') + "end");
  const std::string crashed = "the reader stopped on a damaged file";
  const struct {
    std::function<std::string()> work;
    int timeoutMs;
    std::string error;
  } cases[] = {
      {[]() -> std::string { throw Error("table not found"); }, 10000, "table not found"},
      {[]() -> std::string { return std::raise(SIGSEGV) ? "" : "x"; }, 10000, crashed},
      {[]() -> std::string { _exit(3); }, 10000, crashed},
      {[]() -> std::string { for (;;) pause(); }, 300, "the reader took too long and was stopped"},
  };
  for (const auto& c : cases) {
    try {
      RunIsolated(c.work, c.timeoutMs);
      ADD_FAILURE() << "no error: " << c.error;
    } catch (const Error& e) {
      EXPECT_EQ(e.what(), c.error);
    }
  }
}

}  // namespace
}  // namespace quo::test
