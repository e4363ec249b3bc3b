// The base services on Linux: what the launcher builds before anything else.
#pragma once

#include "platform/posix/posix_files.h"
#include "platform/posix/posix_system.h"
#include "platform/ini/ini_profile.h"

namespace quo {

struct BaseServices {
  PosixFiles files;
  PosixSystem system;
  IniProfile ini{files};
};

}  // namespace quo
