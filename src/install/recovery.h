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

// Without a journal: nothing. With "commit": the installation is finished (settings records
// written, downloads deleted). Without: every started section is rolled back as a failed run
// would be (the processes named are ended first, a component this run registered is
// unregistered, the backup put back, a restored component registered again, a temporary copy
// removed). The journal is removed last; when a step fails it stays for the next start.
RecoveryResult RecoverInstallation(AppContext& app);

// Rolls back the started sections of a journal (the roll-back part of the above); throws when a
// backup cannot be put back.
void RollBackJournal(AppContext& app, const JournalState& journal);

}  // namespace quo
