// Install: the install sequence over the action file. A preparation pass ends every process the
// sections name, then each section is installed in order (file_actions) until one fails; a
// complete run deletes the downloads, a failed one is rolled back from sections 1 to the failing
// one. Errors not handled lower down (the 16-bit section counter overflowing, an error while
// ending processes) are trapped here: CR LF, the system error line, " Avec " and the section name
// are added to errorText and the run stops where it is.
#pragma once

#include <string>

namespace quo {

class RunView;
struct UpdateRun;

// packageCount: the number of package sections; actionsPath: the action file's full path. True when
// the sequence ran to its end: every section installed and the downloads deleted (the errors of a
// failed run are in errorText).
bool Install(UpdateRun& run, RunView& view, int packageCount, const std::string& actionsPath);

// Install, then its records in the settings file (section temps: lastText always, DerniereVersion
// = version after a clean installation), then the journal's removal, its last act. True when
// installed and recorded; an installation whose records could not be written is a failure of
// its own (the product stays installed, the journal makes the next start write the records).
bool InstallAndRecord(UpdateRun& run, RunView& view, int packageCount,
                      const std::string& actionsPath, const std::string& version);

}  // namespace quo
