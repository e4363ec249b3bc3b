#include "window/mdl_tray.h"

#include "app/app_context.h"
#include "core/text.h"
#include "platform/tray.h"
#include "window/frm_test_ftp.h"

namespace quo {

std::string TrayTipShown(const std::string& text) { return Utf8Left(text, 63); }

bool TrayAdd(frmTestFTP& w) {
  Tray* tray = w.App().platform.tray;
  if (tray == nullptr || !tray->Available()) return false;
  tray->Add(
      TrayTipShown(w.View().Caption()), [&w] { w.TrayDoubleClick(); },
      [&w] { w.TrayContextMenu(); });
  return true;
}

void TraySetTip(frmTestFTP& w, const std::string& text) {
  if (Tray* tray = w.App().platform.tray) tray->SetTip(TrayTipShown(text));
}

void TrayRemove(frmTestFTP& w) {
  if (Tray* tray = w.App().platform.tray) tray->Remove();
}

}  // namespace quo
