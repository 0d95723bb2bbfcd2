# The programs run from a disc: each is marked to be copied whole into memory
# when started from removable media (IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP), so
# that taking the disc out never faults a page that was not read yet.
# MSVC's linker sets the flag itself; after GNU ld, which has no switch for
# it, cmake/pe_run_from_swap.py sets it in the linked image and recomputes
# the PE checksum, before anything signs it (tools/make-disc signs copies).
function(sorvane_run_from_swap target)
  if(MSVC)
    target_link_options(${target} PRIVATE /SWAPRUN:CD)
  else()
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND /usr/bin/python3 ${PROJECT_SOURCE_DIR}/cmake/pe_run_from_swap.py $<TARGET_FILE:${target}>
      VERBATIM)
  endif()
endfunction()
