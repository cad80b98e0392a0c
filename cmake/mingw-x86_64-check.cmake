# A 64-bit build of vantrel.exe and its test driver, for running the Wine tests where the kernel
# runs no 32-bit programs and so no 32-bit Wine: the same sources, with the i686 assembly (port
# I/O probe, CPU instructions) answering as absent. It checks the program's Win32 side; it is
# not the program, which is the i686 build of cmake/mingw-i686.cmake.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VANTREL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VANTREL_MINGW_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${VANTREL_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${VANTREL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VANTREL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
