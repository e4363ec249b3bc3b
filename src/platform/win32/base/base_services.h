// The base services on Windows: what the launcher builds before anything else.
#pragma once

#include "platform/shared/base/ini_profile.h"
#include "platform/win32/base/win32_files.h"
#include "platform/win32/base/win32_system.h"

namespace quo {

struct BaseServices {
  Win32Files files;
  Win32System system;
  IniProfile ini{files};
};

// No reader of the translators' database in this build: the language files are used as they are.
inline constexpr const char* kTranslationDbModule = nullptr;

}  // namespace quo
