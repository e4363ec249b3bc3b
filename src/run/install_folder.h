// The installation folder of a run, fixed when the run starts.
#pragma once

namespace quo {

class RunView;
struct UpdateRun;

// The program folder when none is set. A folder that is not absolute would put the product's
// files wherever the program happens to run, and one that does not exist (a typo) would receive
// the update's files alone while the run recorded the product as updated: either refuses the
// run (the phase says why, the log keeps it) and false is returned before anything is
// downloaded.
bool CheckInstallFolder(UpdateRun& run, RunView& view);

}  // namespace quo
