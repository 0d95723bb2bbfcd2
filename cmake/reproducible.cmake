# Reproducible Windows programs: the same source, built in any folder, gives
# the same bytes. The one thing the linker would take from the build machine
# is the PE header's time stamp; binutils' PE linker writes SOURCE_DATE_EPOCH
# there when it is set, and the clock otherwise. Every link here sets it to
# tools/source-date-epoch.sh's answer when configuring: SOURCE_DATE_EPOCH if
# set then, else the time of the source's last commit, else 0 where the
# source has no Git repository of its own. A repository Git cannot read
# stops the configuration with the script's reason.
execute_process(
  COMMAND ${PROJECT_SOURCE_DIR}/tools/source-date-epoch.sh
  OUTPUT_VARIABLE SORVANE_SOURCE_DATE_EPOCH
  OUTPUT_STRIP_TRAILING_WHITESPACE
  COMMAND_ERROR_IS_FATAL ANY)
message(STATUS "PE time stamp (SOURCE_DATE_EPOCH): ${SORVANE_SOURCE_DATE_EPOCH}")
foreach(lang C CXX)
  set(CMAKE_${lang}_LINKER_LAUNCHER
      ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${SORVANE_SOURCE_DATE_EPOCH})
endforeach()

# A new commit changes the time: configuring again (which a build does by
# itself) changes the link commands, and so the programs are linked again.
execute_process(
  COMMAND git rev-parse --git-path HEAD --symbolic-full-name HEAD
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
  OUTPUT_VARIABLE git_answer
  OUTPUT_STRIP_TRAILING_WHITESPACE
  RESULTS_VARIABLE git_result
  ERROR_QUIET)
if(git_result EQUAL 0)
  string(REPLACE "\n" ";" git_answer "${git_answer}")
  list(GET git_answer 0 head_file)
  set(watched ${head_file})
  list(LENGTH git_answer answers)
  if(answers GREATER 1)
    list(GET git_answer 1 branch)
    execute_process(
      COMMAND git rev-parse --git-path ${branch} --git-path packed-refs
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
      OUTPUT_VARIABLE ref_files
      OUTPUT_STRIP_TRAILING_WHITESPACE)
    string(REPLACE "\n" ";" ref_files "${ref_files}")
    list(APPEND watched ${ref_files})
  endif()
  foreach(file IN LISTS watched)
    cmake_path(ABSOLUTE_PATH file BASE_DIRECTORY ${PROJECT_SOURCE_DIR})
    if(EXISTS ${file})
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
    endif()
  endforeach()
endif()
