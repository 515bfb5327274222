# The dbgsym component: the program's debug information where gdb looks it up by build
# ID, usr/lib/debug/.build-id/<first two digits>/<the rest>.debug, and the package's doc
# folder as a link to orvane's, as Debian's dbgsym packages have it.
# ORVANE_BINARY, ORVANE_OBJCOPY and ORVANE_READELF come from the install rule.
execute_process(COMMAND "${ORVANE_READELF}" -n "${ORVANE_BINARY}"
  OUTPUT_VARIABLE notes RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT notes MATCHES "Build ID: ([0-9a-f][0-9a-f])([0-9a-f]+)")
  message(FATAL_ERROR "no build ID in ${ORVANE_BINARY}")
endif()
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(debug "${root}/lib/debug/.build-id/${CMAKE_MATCH_1}/${CMAKE_MATCH_2}.debug")
get_filename_component(dir "${debug}" DIRECTORY)
file(MAKE_DIRECTORY "${dir}" "${root}/share/doc")
message(STATUS "Installing: ${debug}")
execute_process(COMMAND "${ORVANE_OBJCOPY}" --only-keep-debug --compress-debug-sections
  "${ORVANE_BINARY}" "${debug}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objcopy could not copy the debug information of ${ORVANE_BINARY}")
endif()
file(CHMOD "${debug}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(CREATE_LINK orvane "${root}/share/doc/orvane-dbgsym" SYMBOLIC)
