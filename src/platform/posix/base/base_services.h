// The base services on Linux: what the launcher builds before anything else.
#pragma once

#include "platform/posix/base/posix_files.h"
#include "platform/posix/base/posix_system.h"
#include "platform/shared/base/ini_profile.h"

namespace quo {

struct BaseServices {
  PosixFiles files;
  PosixSystem system;
  IniProfile ini{files};
};

// The module of the program folder that reads the translators' database.
inline constexpr const char* kTranslationDbModule = "libquo_mdb.so";

}  // namespace quo
