// The base services on Windows: what the launcher builds before anything else.
#pragma once

#include "platform/ini/ini_profile.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_system.h"

namespace quo {

struct BaseServices {
  Win32Files files;
  Win32System system;
  IniProfile ini{files};
};

}  // namespace quo
