# Cross-compiles for 32-bit Windows with Debian's mingw-w64 (posix threads).
# The x86 programs run on 32- and 64-bit Windows and on Windows on ARM.
#
# This compiler unwinds exceptions with DWARF-2 tables, which cannot pass
# through system frames: nothing may be thrown out of a window procedure or
# any other callback (the runtime catches everything before they return),
# and callbacks the system calls must be declared CALLBACK (stdcall).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

# SSE2 and SSE arithmetic (cmake/x86-baseline.cmake).
include(${CMAKE_CURRENT_LIST_DIR}/x86-baseline.cmake)
set(CMAKE_C_FLAGS_INIT "${SORVANE_X86_BASELINE_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${SORVANE_X86_BASELINE_FLAGS}")

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Programs and DLLs carry their C++ runtime inside, so they import only
# system DLLs (without these, they would import libgcc_s_dw2-1.dll).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_MINSIZEREL_INIT "-s")
set(CMAKE_SHARED_LINKER_FLAGS_MINSIZEREL_INIT "-s")
