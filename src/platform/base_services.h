// The base services of the system the program is built for (files, system and settings files),
// which the launcher builds first.
#pragma once

#if defined(_WIN32)
#include "platform/win32/base/base_services.h"
#else
#include "platform/posix/base/base_services.h"
#endif
