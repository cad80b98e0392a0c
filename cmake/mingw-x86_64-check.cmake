# SPDX-License-Identifier: GPL-2.0-or-later
# A 64-bit build of vantrel.exe and its test driver, for running the Wine tests where the kernel
# runs no 32-bit programs and so no 32-bit Wine: the same sources, with the user-mode port probe
# answering that the ports are kept from the program and the CPU instructions in their 64-bit
# forms. It checks the program's Win32 side; it is not the program, which is the i686 build of
# cmake/mingw-i686.cmake.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VANTREL_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
