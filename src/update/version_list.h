// The server's version list ListMaj.ini: section "versions", one key per installed version whose
// value is the server folder of the update for it.
#pragma once

#include <optional>
#include <string>

namespace quo {

class RunView;
struct UpdateRun;

// Takes the listing of the update directory ("#" before each name), looks for ListMaj.ini
// (exact case) and, when it names a folder for installedVersion, enters that folder and fetches its
// Actions.ini into the download folder. Sets updateAvailable and what the window shows. A list
// that names no folder for this version, or a listing without ListMaj.ini, means no update; a
// list or a folder the server does not deliver is a failed search.

// With trusted keys, the list and the action file must carry a valid signature and the action
// file meet the rules of a signed one, else the update is refused (outcome Refused).
void FindUpdateInListing(UpdateRun& run, RunView& view, const std::string& listing);

// Fetches the version list of that name into the download folder and returns the update folder
// for installedVersion ("" when it names none); nullopt, with the reason in why, when the list did
// not arrive (an older copy is never read) or, refused set, its signature does not hold.
std::optional<std::string> FetchVersionList(UpdateRun& run, const std::string& name,
                                            std::string& why, bool& refused);

}  // namespace quo
