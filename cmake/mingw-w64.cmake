# Cross-compiles for 64-bit Windows with mingw-w64 (posix thread model) against the static
# libraries scripts/windows-deps builds; programs built here (tests, try_run) run under Wine.
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         -DQUO_WINDOWS_DEPS="$(scripts/windows-deps | tail -1)"
# (or QUO_WINDOWS_DEPS in the environment). Everything links statically, the mingw runtime
# included, so a program's folder needs no mingw DLL.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUO_MINGW_TRIPLE x86_64-w64-mingw32)
set(QUO_MINGW_SYSROOT /usr/${QUO_MINGW_TRIPLE})
set(CMAKE_C_COMPILER ${QUO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUO_MINGW_TRIPLE}-windres)

# The prefix of the Windows libraries: the cache variable, else the environment's.
if(NOT QUO_WINDOWS_DEPS AND DEFINED ENV{QUO_WINDOWS_DEPS})
  set(QUO_WINDOWS_DEPS "$ENV{QUO_WINDOWS_DEPS}")
endif()
if(NOT QUO_WINDOWS_DEPS)
  message(FATAL_ERROR "QUO_WINDOWS_DEPS is not set: pass -DQUO_WINDOWS_DEPS=$(scripts/windows-deps | tail -1)")
endif()
set(QUO_WINDOWS_DEPS "${QUO_WINDOWS_DEPS}" CACHE PATH "Prefix of the static Windows libraries")
# The checks CMake compiles in their own projects read this file again: they see the same prefix.
set(ENV{QUO_WINDOWS_DEPS} "${QUO_WINDOWS_DEPS}")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUO_WINDOWS_DEPS)

set(CMAKE_FIND_ROOT_PATH ${QUO_MINGW_SYSROOT} ${QUO_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config sees only the Windows libraries and mingw's zlib, never the host's.
set(ENV{PKG_CONFIG_LIBDIR} "${QUO_WINDOWS_DEPS}/lib/pkgconfig:${QUO_MINGW_SYSROOT}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# Static libgcc, libstdc++ and winpthread: -static also makes every -lfoo pick libfoo.a over
# an import library (mingw's zlib ships both).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
