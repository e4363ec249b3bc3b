// The end of an installation: a failed run is rolled back from its backups, a complete one
// deletes the downloaded files.
#pragma once

#include <string>

namespace quo {

class AppContext;
struct InstallRun;
struct UpdateRun;

// Rolls back sections 1 to count of the action file, in order: for each section with the backup
// flag, the backup this run made (found by the same directory rules as the installation) is
// renamed back over the installed file, and a component (backup and registerComponent both set) is
// registered again. A section that cannot be restored adds CR LF, the error's description,
// " Avec " and the section name to errorText, and the others are still restored (false is then
// returned). Files without a backup stay as they are.
bool RestoreInstallation(UpdateRun& run, int count, const std::string& actionsPath,
                         const InstallRun& done);

// Deletes the ordinary files of the download folder (program directory + "Download/"), in name
// order, stopping silently at the first that cannot be deleted. Sub-folders and hidden files stay.
void DeleteDownloads(AppContext& app);

}  // namespace quo
