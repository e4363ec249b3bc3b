// The launch log: log.txt beside the executable, one line per text, CR LF ended, nothing added.
#pragma once

#include <string>

namespace quo {

class AppContext;

// Appends one line; throws quo::Error when the file cannot be written.
void WriteLog(AppContext& app, const std::string& text);

}  // namespace quo
