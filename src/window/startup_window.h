// The start-up sequence from the window on: fills the main window from the launch plan, applies
// the translated captions, shows the window and, when launched by the product, starts the search
// and the installation.
#pragma once

namespace quo {

class MainWindow;
struct LaunchPlan;

void RunWindowStartup(MainWindow& w, const LaunchPlan& plan);

// For the event loops of the toolkits, asked between events: true once the window has unloaded.
// An unattended run that has reached its end unloads it (after the running operation, if any).
bool WindowRunEnded(MainWindow& w, bool unattended);
// The process's exit status once the window has unloaded: 0, or in an unattended run that of the
// run's outcome.
int WindowRunStatus(MainWindow& w, bool unattended);

}  // namespace quo
