# Writes OUT (a header) with the `git describe` of SOURCE_DIR, and rewrites it
# only when that changes, so that a build after a commit names the commit.
#   cmake -DSOURCE_DIR=... -DOUT=... -P GitVersion.cmake
set(describe "")
find_program(GIT git)
if(GIT AND EXISTS "${SOURCE_DIR}/.git")
  execute_process(COMMAND "${GIT}" describe --always --tags --dirty
                  WORKING_DIRECTORY "${SOURCE_DIR}" OUTPUT_VARIABLE describe OUTPUT_STRIP_TRAILING_WHITESPACE
                  ERROR_QUIET RESULT_VARIABLE failed)
  if(failed)
    set(describe "")
  endif()
endif()
set(text "// Made by cmake/GitVersion.cmake at build time.\n#define TRIPCONF_GIT_DESCRIBE \"${describe}\"\n")
set(old "")
if(EXISTS "${OUT}")
  file(READ "${OUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUT}" "${text}")
endif()
