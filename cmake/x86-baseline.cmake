# The instruction set the x86 programs require: SSE2, which Windows 8 and
# later require too (a Windows 7 PC without it, Pentium III or Athlon XP
# class, is not supported). With -mfpmath=sse, float and double arithmetic
# runs in SSE registers and is rounded to its type at every step, as in the
# x64 build, instead of in x87 registers with excess precision.
# Included by the x86 toolchain files.
set(SORVANE_X86_BASELINE_FLAGS "-msse2 -mfpmath=sse")
