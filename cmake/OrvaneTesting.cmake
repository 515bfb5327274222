# Registers test executables with ctest. Every test runs headless (offscreen Qt),
# in a UTF-8 locale and with no proxy, so loopback servers are reached directly.
find_package(GTest REQUIRED)
include(GoogleTest)

set(ORVANE_TEST_ENV
    QT_QPA_PLATFORM=offscreen
    LC_ALL=C.UTF-8
    http_proxy= https_proxy= HTTP_PROXY= HTTPS_PROXY= all_proxy= ALL_PROXY=
    no_proxy=* NO_PROXY=*)

# orvane_add_gtest(NAME SOURCES... LIBS ...)
function(orvane_add_gtest name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock orvane_warnings)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  gtest_discover_tests(${name}
    PROPERTIES ENVIRONMENT "${ORVANE_TEST_ENV}" TIMEOUT ${ARG_TIMEOUT}
    DISCOVERY_TIMEOUT 60)
endfunction()

# orvane_add_qtest(NAME SOURCES... LIBS ...): a Qt Test executable, one ctest entry.
function(orvane_add_qtest name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test orvane_warnings)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${ORVANE_TEST_ENV}" TIMEOUT ${ARG_TIMEOUT})
endfunction()
