// The run from the window on, over Qt (RunWindow: the application object, the window services,
// the main window and its start-up sequence, the event loop, and the process's exit status).
#pragma once

#include "window/window_run.h"

namespace quo {

class MainWindow;

// The event loop of a started window: returns once the window has unloaded. In an unattended
// run a window whose run has reached its end (Finished) is closed; the status is then that of
// the run's outcome. An interactive run always gives 0.
int RunEventLoop(MainWindow& w, bool unattended);

}  // namespace quo
