// The real services of the system the tests run on, by one name on both.
#pragma once

#if defined(_WIN32)
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/toolhelp_processes.h"
#include "platform/crypto/win32_crypto.h"
#else
#include "platform/posix/posix_files.h"
#include "platform/posix/posix_system.h"
#include "platform/crypto/openssl_crypto.h"
#include "platform/posix/procfs_processes.h"
#endif

namespace quo::test {

#if defined(_WIN32)
using NativeFiles = Win32Files;
using NativeSystem = Win32System;
using NativeProcesses = ToolhelpProcesses;
using NativeCrypto = Win32Crypto;
#else
using NativeFiles = PosixFiles;
using NativeSystem = PosixSystem;
using NativeProcesses = ProcfsProcesses;
using NativeCrypto = OpenSslCrypto;
#endif

}  // namespace quo::test
