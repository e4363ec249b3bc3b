// The program's 32 x 32 icon, shared by both windows and the notification area.
#pragma once

#include <QIcon>

namespace quo {

QIcon ProgramIcon();

}  // namespace quo
