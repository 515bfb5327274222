# The flags Debian builds its own packages with (dpkg-buildflags, hardening=+all), set
# here rather than taken from dpkg-buildflags: Debian 12's dpkg has no stack clash or
# control-flow protection yet, and a plain cmake configure gets the same binary as ./dev.
# The sanitizer and fuzz builds keep their own flags.
if(NOT ORVANE_DEBIAN_FLAGS OR ORVANE_SANITIZE OR ORVANE_BUILD_FUZZ)
  return()
endif()

add_compile_options(
  -fstack-protector-strong -fstack-clash-protection -fcf-protection
  -Wformat -Werror=format-security
  # __DATE__ and __TIME__ would make every build differ.
  -Werror=date-time
  # No build folder in the debug information or in __FILE__: the same source gives the
  # same bytes wherever it is built. The build folder's mapping is the later, so it wins.
  "-ffile-prefix-map=${PROJECT_SOURCE_DIR}=."
  "-ffile-prefix-map=${PROJECT_BINARY_DIR}=.")
# Fortified functions need the optimizer; a Debug build would only warn.
add_compile_definitions($<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:_FORTIFY_SOURCE=2>)
add_link_options(-Wl,-z,relro -Wl,-z,now)
