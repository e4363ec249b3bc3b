// The program's run-time error: raised where an operation fails and caught only where the
// program traps errors (installation, file actions, registration, transfers, start-up).
// what() is the description shown to the user.
#pragma once

#include <stdexcept>
#include <string>

namespace quo {

class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace quo
