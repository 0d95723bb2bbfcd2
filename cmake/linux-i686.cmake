# Builds 32-bit x86 Linux programs with Debian's g++ (package g++-multilib),
# compiled with the x86 Windows build's flags (cmake/x86-baseline.cmake):
# the decoder's tests run as such a program under qemu-i386 where Wine
# cannot run the x86 Windows build (a kernel without IA32 emulation). Used
# by tools/run-decoder-tests.sh only.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)

include(${CMAKE_CURRENT_LIST_DIR}/x86-baseline.cmake)
set(CMAKE_C_FLAGS_INIT "-m32 ${SORVANE_X86_BASELINE_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "-m32 ${SORVANE_X86_BASELINE_FLAGS}")
# Static, so that qemu-i386 needs no 32-bit libraries at run time.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32 -static")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386)
