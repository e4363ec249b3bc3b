// The installation folder of a run, fixed when the run starts.
#pragma once

namespace quo {

class RunView;
struct UpdateRun;

// The program folder when none is set. A folder that is not absolute would put the product's
// files wherever the program happens to run: the run is refused (the phase says why, the log
// keeps it) and false is returned before anything is downloaded.
bool CheckInstallFolder(UpdateRun& run, RunView& view);

}  // namespace quo
