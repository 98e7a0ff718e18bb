# Run by cpack before it packs: without dpkg-shlibdeps a Debian package
# would have no Depends line and cpack would still say it made one.
find_program(KORVA_SHLIBDEPS dpkg-shlibdeps NO_CMAKE_SYSTEM_PATH)
if(NOT KORVA_SHLIBDEPS)
    message(FATAL_ERROR "dpkg-shlibdeps is missing: the package's dependencies can't be found; "
                        "install dpkg-dev (apt-get install dpkg-dev) and run cpack again")
endif()
