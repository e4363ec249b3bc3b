#include "window/tray_icon.h"

#include "app/app_context.h"
#include "core/text.h"
#include "platform/tray.h"
#include "window/main_window.h"

namespace quo {

std::string TrayTipShown(const std::string& text) { return Utf8Left(text, 63); }

bool TrayAdd(MainWindow& w) {
  Tray* tray = w.App().platform.tray;
  if (tray == nullptr || !tray->Available()) return false;
  tray->Add(
      TrayTipShown(w.View().Caption()), [&w] { w.TrayDoubleClick(); },
      [&w] { w.TrayContextMenu(); });
  return true;
}

void TraySetTip(MainWindow& w, const std::string& text) {
  if (Tray* tray = w.App().platform.tray) tray->SetTip(TrayTipShown(text));
}

void TrayRemove(MainWindow& w) {
  if (Tray* tray = w.App().platform.tray) tray->Remove();
}

}  // namespace quo
