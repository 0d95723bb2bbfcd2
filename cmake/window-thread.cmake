# Code that runs on the window thread alone: the window runtime and the
# programs' windows. Its function-local statics (the program's state, the
# window instances, the table of system functions) are first reached on that
# thread, before any other thread exists, so they need no thread-safe guard.
# With the guard, GCC's first use of each goes through the thread library
# (pthread_once, pthread_mutex_lock in winpthreads), which calls TlsAlloc and
# DuplicateHandle on first use and aborts the program (exit code 3, no
# report) when either fails: at start-up, in the programs' own first lines.
function(sorvane_window_thread_only target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /Zc:threadSafeInit-)
  else()
    target_compile_options(${target} PRIVATE -fno-threadsafe-statics)
  endif()
endfunction()
