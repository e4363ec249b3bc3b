// mdlTray: the program's icon in the notification area. The tooltip shows at most 63 characters
// of the text it is given.
#pragma once

#include <string>

namespace quo {

class MainWindow;

// The part of a tooltip text the notification area shows.
std::string TrayTipShown(const std::string& text);

// Adds the icon; false when there is no notification area (the program then runs without one).
bool TrayAdd(MainWindow& window);
void TraySetTip(MainWindow& window, const std::string& text);
void TrayRemove(MainWindow& window);

}  // namespace quo
