# SPDX-License-Identifier: GPL-2.0-or-later
# Cross-compiling the Linux programs and their tests for 32-bit x86 with Debian's i686 compiler,
# against Debian 12's i386 libraries unpacked into a folder (scripts/i386-sysroot.sh), and running
# what is built under QEMU's user-mode emulator. The code is for the Pentium II and later: i686
# instructions, x87 floating point, no SSE of any kind.
#   -DCMAKE_TOOLCHAIN_FILE=cmake/i686-linux-gnu.cmake -DVANTREL_I386_SYSROOT=<folder>
#   -DVANTREL_I386_CPU=<QEMU model the tests run on, pentium3 unless set>
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)

# The toolchain file is read again for each compiler check, with only what is forwarded here.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VANTREL_I386_SYSROOT VANTREL_I386_CPU)
if(NOT VANTREL_I386_SYSROOT)
  set(VANTREL_I386_SYSROOT $ENV{VANTREL_I386_SYSROOT})
endif()
if(NOT VANTREL_I386_SYSROOT OR NOT IS_DIRECTORY ${VANTREL_I386_SYSROOT}/usr/lib/i386-linux-gnu)
  message(FATAL_ERROR "VANTREL_I386_SYSROOT must name the folder of unpacked i386 libraries "
                      "(scripts/i386-sysroot.sh makes it), not \"${VANTREL_I386_SYSROOT}\"")
endif()
set(VANTREL_I386_SYSROOT ${VANTREL_I386_SYSROOT} CACHE PATH "The unpacked i386 libraries")
if(NOT VANTREL_I386_CPU)
  set(VANTREL_I386_CPU pentium3)
endif()
set(VANTREL_I386_CPU ${VANTREL_I386_CPU} CACHE STRING "The QEMU processor model the tests run on")

set(CMAKE_C_FLAGS_INIT "-march=i686 -mtune=generic -mfpmath=387 -mno-sse")
set(CMAKE_CXX_FLAGS_INIT "-march=i686 -mtune=generic -mfpmath=387 -mno-sse")
# The libraries the found ones need in turn are in the folder too, not on the build machine.
set(lib_dirs ${VANTREL_I386_SYSROOT}/usr/lib/i386-linux-gnu ${VANTREL_I386_SYSROOT}/lib/i386-linux-gnu)
list(JOIN lib_dirs ":" rpath_link)
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-Wl,-rpath-link,${rpath_link}")
endforeach()

set(CMAKE_FIND_ROOT_PATH ${VANTREL_I386_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386 -cpu ${VANTREL_I386_CPU} -L ${VANTREL_I386_SYSROOT})
