# Read by cpack: it sets every time in the packages (the files in the archives, the
# archives in the .deb) to SOURCE_DATE_EPOCH and leaves the gzip headers without one.
set(ENV{SOURCE_DATE_EPOCH} "${CPACK_ORVANE_SOURCE_DATE_EPOCH}")
