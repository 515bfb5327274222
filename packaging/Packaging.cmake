# Install rules and the Debian packages. Only the program itself is installed: not
# orvane-demo, the stub service or the tests. Its debug information goes to a second
# package, orvane-dbgsym (component dbgsym), which a plain cmake --install leaves out.
include(GNUInstallDirs)
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME orvane)

set(ORVANE_APP_ID "example.vellix.Orvane")
set(ORVANE_PACKAGING_DIR "${PROJECT_SOURCE_DIR}/packaging")

install(TARGETS orvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES "${ORVANE_PACKAGING_DIR}/${ORVANE_APP_ID}.desktop"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES "${ORVANE_PACKAGING_DIR}/${ORVANE_APP_ID}.metainfo.xml"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 32 48 64 128 256)
  install(FILES "${PROJECT_SOURCE_DIR}/assets/icon_${size}.png"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME orvane.png)
endforeach()
install(FILES "${PROJECT_SOURCE_DIR}/assets/orvane.svg"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Debian wants the changelog and the manual page compressed without a time stamp
# (gzip -n), so the package is the same from one build to the next.
find_program(ORVANE_GZIP gzip REQUIRED)
function(orvane_gzip source output)
  add_custom_command(
    OUTPUT "${output}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${PROJECT_BINARY_DIR}/packaging"
    COMMAND ${ORVANE_GZIP} -9nc "${source}" > "${output}"
    DEPENDS "${source}"
    VERBATIM)
endfunction()
set(ORVANE_CHANGELOG_GZ "${PROJECT_BINARY_DIR}/packaging/changelog.gz")
set(ORVANE_MANPAGE_GZ "${PROJECT_BINARY_DIR}/packaging/orvane.1.gz")
orvane_gzip("${ORVANE_PACKAGING_DIR}/changelog" "${ORVANE_CHANGELOG_GZ}")
orvane_gzip("${ORVANE_PACKAGING_DIR}/orvane.1" "${ORVANE_MANPAGE_GZ}")
add_custom_target(orvane_docs ALL DEPENDS "${ORVANE_CHANGELOG_GZ}" "${ORVANE_MANPAGE_GZ}")
install(FILES "${ORVANE_PACKAGING_DIR}/copyright" "${ORVANE_CHANGELOG_GZ}"
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES "${ORVANE_MANPAGE_GZ}" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Taken from the unstripped program in the build tree; the packaged one keeps the same
# build ID when it is stripped, which is how gdb finds these.
install(CODE "set(ORVANE_BINARY \"$<TARGET_FILE:orvane>\")
  set(ORVANE_OBJCOPY \"${CMAKE_OBJCOPY}\")
  set(ORVANE_READELF \"${CMAKE_READELF}\")"
  COMPONENT dbgsym EXCLUDE_FROM_ALL)
install(SCRIPT "${ORVANE_PACKAGING_DIR}/install_debug_symbols.cmake" COMPONENT dbgsym EXCLUDE_FROM_ALL)

if(NOT ORVANE_TOP_LEVEL)
  return()
endif()

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "orvane")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The Orvane developers")
set(CPACK_PACKAGE_CONTACT "The Orvane developers <orvane@vellix.example>")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}")
set(CPACK_STRIP_FILES ON)
# cpack sets every time in the packages (files, archives, gzip headers) to this.
set(CPACK_ORVANE_SOURCE_DATE_EPOCH "${ORVANE_SOURCE_DATE_EPOCH}")
set(CPACK_PROJECT_CONFIG_FILE "${ORVANE_PACKAGING_DIR}/cpack_options.cmake")

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL orvane dbgsym)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://vellix.example/")

set(CPACK_DEBIAN_ORVANE_PACKAGE_NAME "orvane")
set(CPACK_DEBIAN_ORVANE_PACKAGE_SECTION "net")
set(CPACK_DEBIAN_ORVANE_PACKAGE_SHLIBDEPS ON)
# The browser opener tries sensible-browser first.
set(CPACK_DEBIAN_ORVANE_PACKAGE_DEPENDS "sensible-utils")
# Every text of the window is Chinese. Any CJK face serves (Qt falls back through
# fontconfig), and apt installs Recommends by default, so they are not forced.
set(CPACK_DEBIAN_ORVANE_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk")
# The first line is the synopsis.
set(CPACK_DEBIAN_ORVANE_DESCRIPTION
    "search the files people share on a public netdisk
Orvane is a small Qt program for finding files shared on a public netdisk
service. Type a keyword to get the list of shares with their type, title,
size, views and downloads, and double-click one to open its page in the
browser. One button checks every listed share and marks it as normal,
invalid or unknown. At start-up it tells you whether a newer version exists.")

set(CPACK_DEBIAN_DBGSYM_PACKAGE_NAME "orvane-dbgsym")
set(CPACK_DEBIAN_DBGSYM_PACKAGE_SECTION "debug")
set(CPACK_DEBIAN_DBGSYM_PACKAGE_DEPENDS "orvane (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_DBGSYM_DESCRIPTION
    "debug symbols for orvane
The debugging information of /usr/bin/orvane, found by its build ID, so that
gdb can show the functions, source lines and variables of a crash report.")

include(CPack)
