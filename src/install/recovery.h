// Recovery of an installation that a kill or a power cut interrupted, from its journal: at the
// next start (before anything else is decided), or at once when an installation step throws.
#pragma once

#include <string>

namespace quo {

class AppContext;
struct JournalState;

struct RecoveryResult {
  bool found = false;  // there was a journal
  bool ok = true;      // the product is whole again (the journal is gone)
  std::string message;  // what was done, or why it could not be (logged either way)
};

// Without a journal: nothing. A journal this program did not write (install/install_journal.h),
// or one naming a file an installation into its product folder could not write
// (CheckTargetPath), a backup that is not that file's, or a version that is not one, steers
// nothing: it is set aside as <journal>.refused (replacing an older one) and the start fails
// with the reason. A sound journal of another product folder than productFolder is left for a
// start about that folder. Else, with "commit": the installation is finished (settings records
// written, the version only when not older than the one recorded; downloads deleted); without:
// every started section is rolled back as a failed run would be (the processes named are ended
// first, only those running a program of the product or system folders; a component this run
// registered is unregistered, the backup put back, a restored component registered again, a
// temporary copy removed). The journal is removed last; when a step fails it stays for the next
// start.
RecoveryResult RecoverInstallation(AppContext& app, const std::string& productFolder);

// Rolls back the started sections of a journal (the roll-back part of the above); throws when a
// backup cannot be put back.
void RollBackJournal(AppContext& app, const JournalState& journal);

}  // namespace quo
