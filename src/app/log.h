// The launch log: log.txt beside the executable, one line per text, CR LF ended, nothing added.
#pragma once

#include <string>

namespace quo {

class AppContext;

// Appends one line. A log that cannot be written (a folder, a FIFO or a link in its place, a full
// disk) stops nothing: the first failure of the run is said on standard error, the rest is quiet.
void WriteLog(AppContext& app, const std::string& text);

}  // namespace quo
