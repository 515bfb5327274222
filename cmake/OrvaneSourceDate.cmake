# The one time stamp the build writes wherever a time goes (the pictures' times in the
# program, the package's files): SOURCE_DATE_EPOCH if given, else the last commit's time,
# so two builds of one commit give the same bytes. ./dev package configures again, so a
# new commit's time is picked up.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ORVANE_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
else()
  # Without git (a source tarball): the changelog's date, 15 January 2026.
  set(ORVANE_SOURCE_DATE_EPOCH 1768478400)
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND "${GIT_EXECUTABLE}" log -1 --format=%ct
      WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
      OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(commit_time MATCHES "^[0-9]+$")
      set(ORVANE_SOURCE_DATE_EPOCH ${commit_time})
    endif()
  endif()
endif()
if(NOT ORVANE_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH is '${ORVANE_SOURCE_DATE_EPOCH}', not seconds since 1970")
endif()
