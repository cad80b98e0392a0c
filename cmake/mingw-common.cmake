# SPDX-License-Identifier: GPL-2.0-or-later
# What the MinGW-w64 toolchain files share, for the target VANTREL_MINGW_PREFIX names: Debian's
# -win32 compilers, whose win32 thread model is libgcc's own Win32 threading and never
# winpthreads (a DLL, with imports, that Windows 95/98 do not have), and searches kept inside the
# target's own root.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${VANTREL_MINGW_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${VANTREL_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${VANTREL_MINGW_PREFIX}-windres)
set(CMAKE_OBJDUMP ${VANTREL_MINGW_PREFIX}-objdump)
set(CMAKE_STRIP ${VANTREL_MINGW_PREFIX}-strip)

set(CMAKE_FIND_ROOT_PATH /usr/${VANTREL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
