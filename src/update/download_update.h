// The package download: fetches every package the action file names into the download folder
// (archives into the folder beside it, then extracted), records the download, asks for the
// go-ahead and calls Install.
#pragma once

#include <string>

namespace quo {

class RunView;
struct UpdateRun;

void DownloadUpdate(UpdateRun& run, RunView& view, const std::string& actionsPath);

}  // namespace quo
