// The update search: asks the server's version list whether an update exists for installedVersion
// and fetches its action file into the download folder. The session stays open for the download.
#pragma once

namespace quo {

class RunView;
struct UpdateRun;

bool SearchUpdates(UpdateRun& run, RunView& view);

}  // namespace quo
