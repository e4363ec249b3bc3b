// The start-up sequence from the window on: fills the main window from the launch plan, applies
// the translated captions, shows the window and, when launched by the product, starts the search
// and the installation.
#pragma once

namespace quo {

class MainWindow;
struct LaunchPlan;

void RunWindowStartup(MainWindow& w, const LaunchPlan& plan);

}  // namespace quo
