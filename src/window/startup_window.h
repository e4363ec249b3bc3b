// The start-up sequence from the window on: fills the main window from the launch plan, applies
// the translated captions, shows the window and, when launched by the product, starts the search
// and the installation.
#pragma once

namespace quo {

class frmTestFTP;
struct LaunchPlan;

void RunWindowStartup(frmTestFTP& w, const LaunchPlan& plan);

}  // namespace quo
