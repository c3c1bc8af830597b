# The manual page and the packages that `cpack` makes: a Debian package of the
# POSIX program from the native build, a zip of fuselox.exe and the README
# from the Windows cross build (cmake/mingw-w64.cmake).

set(CPACK_PACKAGE_NAME fuselox)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Fuselox developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "install repaints, edit aircraft.cfg and patch files of Flight Simulator X")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "A command-line utility for installers and scripts: it installs and removes aircraft\n"
    "repaints (the variant sections of aircraft.cfg), reads and changes parameters, finds\n"
    "aircraft folders and makes and applies binary patches. On Linux it works on the Wine\n"
    "prefix in which the simulator runs.")
set(CPACK_PACKAGE_CONTACT "Fuselox developers <fuselox@users.invalid>")
set(CPACK_OUTPUT_FILE_PREFIX packages)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  # One component holds what the zip ships, side by side at its top.
  install(TARGETS fuselox RUNTIME DESTINATION . COMPONENT windows_zip)
  install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION . COMPONENT windows_zip)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL windows_zip)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  set(CPACK_PACKAGE_FILE_NAME "fuselox-${PROJECT_VERSION}-win64")
else()
  install(FILES ${CMAKE_BINARY_DIR}/fuselox.1 DESTINATION share/man/man1)
  install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION share/doc/fuselox)
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
  # dpkg-shlibdeps finds every shared library the program links, the suffix
  # arrays of the patch maker (libdivsufsort3) among them; without it, name
  # that one by hand.
  find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
  if(DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libdivsufsort3, libc6, libstdc++6")
  endif()
  # The XML parser that reads Prepar3D's add-on.xml files.
  if(NOT DPKG_SHLIBDEPS)
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libexpat1")
  endif()
endif()

include(CPack)
