#include "platform/posix/isolated_call.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>

#include "core/error.h"

namespace quo::test {
namespace {

TEST(RunIsolated, ReturnsTheChildsTextWhole) {
  const std::string big(300000, 'q');  // more than a pipe holds at once
  EXPECT_EQ(RunIsolated([&] { return big + std::string(1, '\0') + "end"; }, 10000),
            big + std::string(1, '\0') + "end");
}

TEST(RunIsolated, FailuresOfTheChildBecomeErrors) {
  try {
    RunIsolated([]() -> std::string { throw Error("table not found"); }, 10000);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "table not found");
  }
  EXPECT_THROW(RunIsolated(
                   []() -> std::string {
                     std::raise(SIGSEGV);
                     return "x";
                   },
                   10000),
               Error);
  EXPECT_THROW(RunIsolated([]() -> std::string { _exit(3); }, 10000), Error);
  EXPECT_THROW(RunIsolated(
                   []() -> std::string {
                     for (;;) pause();
                   },
                   300),
               Error);
}

}  // namespace
}  // namespace quo::test
