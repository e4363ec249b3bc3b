// The exit statuses of the program, which the product (or a script) that started it reads.
#pragma once

namespace quo {

enum ExitStatusCode : int {
  kExitSuccess = 0,    // installed, no update, or no check due
  kExitFailed = 1,     // the search, the download, the installation or its records failed
  kExitRefused = 2,    // a command line, a version or settings the run cannot use
  kExitCancelled = 3,  // the go-ahead refused, or the window closed before the installation
  kExitBusy = 4,       // another instance of the program is running
};

}  // namespace quo
