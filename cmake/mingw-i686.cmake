# SPDX-License-Identifier: GPL-2.0-or-later
# Cross-compiling vantrel.exe for Windows 95/98 with Debian's MinGW-w64 (i686).
set(CMAKE_SYSTEM_VERSION 4.0)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VANTREL_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
