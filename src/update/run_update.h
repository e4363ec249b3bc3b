// RunUpdate: a download-and-install run once an update is known to be available.
//
// A run downloads the packages (DownloadUpdate, which ends by calling Install) and then shows its
// outcome in the phase label: the success message, or the error heading followed by errorText,
// one error per line. Closing the window during a run lets the run end (rollback included) before
// the window unloads.
#pragma once

#include <string>

namespace quo {

class RunView;
struct UpdateRun;

// The run, from the download to its outcome; exitCaption is the action button's caption once
// the run is over.
void RunUpdate(UpdateRun& run, RunView& view, const std::string& exitCaption);

}  // namespace quo
