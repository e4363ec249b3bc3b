// File actions: the treatment of one package section of the action file. The section's process
// is ended, the target directory resolved, the present file moved aside to its backup, the new
// file copied from the download folder into place, and the component registered when asked.
//
// A section fails by adding one message to ErrorText (CR LF, the error's description,
// " Fichier : ", the section name): a copy into place or a backup that cannot be made is such a
// failure, so a section counts as installed only when its file is really there.
#pragma once

#include <set>
#include <string>

#include "platform/files.h"

namespace quo {

class AppContext;
class InstallJournal;
struct UpdateRun;

// The keys of a package section; the flags are set when their numeric value is above 0.
struct ActionSection {
  std::string destination, type, kill;
  bool replace = false, backup = false, registerComponent = false, compressed = false;
};
ActionSection ReadSection(AppContext& app, const std::string& actionsPath,
                          const std::string& section);

// What one installation run has done so far.
struct InstallRun {
  // Files this run has moved to their backup: a file installed twice (a section listed twice)
  // is not backed up again, so the backup always holds the file from before the run; and only
  // these backups are put back by a rollback.
  std::set<std::string> backedUp;
  InstallJournal* journal = nullptr;  // where each step is recorded before it is taken
  int k = 0;                          // the section being installed
  // Records a step of section k in the journal (durably) before it is taken.
  void Record(const std::string& step) const;
};

void InstallAction(UpdateRun& run, const std::string& actionsPath, const std::string& section,
                   InstallRun& done);

// The file operations for file in dir (dir ends with "/"):
//   - dir is created (one level) when missing; a failure there shows in the copy;
//   - a present file is unregistered first when unregisterFirst (kind = the section's type);
//   - with backup, the present file is renamed to its backup name (replacing an older backup);
//   - the new file is copied from the download folder when replace is set or nothing was present.
// A replaced file keeps the mode of the one it replaces; a new one gets fresh (its folder's
// default or the archive's mode, execute for a program). Each step is journaled first and synced
// after. A failing backup or copy throws Error; the present file is never removed before the new
// one is in place (the copy replaces it at once).
void CopyWithBackup(UpdateRun& run, const std::string& file, const std::string& dir, bool replace,
                    bool backup, bool unregisterFirst, const std::string& kind, InstallRun& done,
                    const Files::CopyMode& fresh = {});

}  // namespace quo
