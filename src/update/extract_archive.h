// unrar: extracts every entry of one RAR archive into a folder through the platform's RAR
// library, and counts the failures for the package download.
#pragma once

#include <functional>
#include <string>

namespace quo {

class AppContext;

namespace unrar {

// Extracts archive into destination (a folder; "/" is added when missing): each entry goes to
// destination followed by its path in the archive. Returns the number of failures (NbErreursRar),
// 0 when every entry was extracted. A failure is counted when the archive is missing or cannot
// be opened, for each entry that cannot be extracted (the first one also shows the message
// "erreur"), when the archive breaks off before its end, and when keepGoing (asked between
// entries) returns false. Window events run once per entry. An entry whose path accept refuses
// (given without "." components, "/" separated) is not extracted and counts as a failure.
int ExtractArchive(AppContext& app, const std::string& archive, const std::string& destination,
                   const std::string& password, const std::function<bool()>& keepGoing = {},
                   const std::function<bool(const std::string&)>& accept = {});

}  // namespace unrar
}  // namespace quo
