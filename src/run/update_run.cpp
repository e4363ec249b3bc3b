#include "run/update_run.h"

#include "app/exit_status.h"

namespace quo {

int ExitStatus(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::Installed:
    case RunOutcome::NothingToDo: return kExitSuccess;
    case RunOutcome::Failed: return kExitFailed;
    case RunOutcome::Refused: return kExitRefused;
    case RunOutcome::Running:
    case RunOutcome::Cancelled: break;
  }
  return kExitCancelled;
}

}  // namespace quo
