// The update search: asks the server's version list whether an update exists for MyVersion and
// fetches its action file into the download folder. The session stays open for the download.
#pragma once

namespace quo {

class RunView;
struct UpdateRun;

bool RechercheMaj(UpdateRun& run, RunView& view);

}  // namespace quo
