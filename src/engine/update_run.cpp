#include "engine/update_run.h"

#include "engine/run_view.h"
#include "ftp/sck_ftp.h"

namespace quo {

UpdateRun::UpdateRun(AppContext& a) : app(a) {}
UpdateRun::~UpdateRun() = default;

void SetPhase(UpdateRun& run, RunView& view, const std::string& text) {
  run.TextePhase = text;
  view.ShowPhase(text);
  view.RepaintPhase();
}

}  // namespace quo
