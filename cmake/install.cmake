# Installation and the Debian package.
#
# `cmake --install build --prefix P` lays out a whole suite below
# P/lib/lumo-sygnalizacja (the program and lumo-dxf in LUMO/Programy with the
# help beside them, block files and lists in aZasoby, the demo city in Dane,
# the demo drawing in Rysunki), the launcher P/bin/lumo-sygnalizacja, a menu
# entry and an icon. `cpack -G DEB` in the build folder packs the same tree
# with the prefix /usr.
#
# LUMO_INSTALL_SUITE_DIR (set before the targets' install rules) is the suite
# root relative to the prefix.

# The demo suite as make-demo-suite writes it, fresh: build/suite is where
# ./run works and changes things, so it is never installed.
install(DIRECTORY ${LUMO_DEMO_SUITE_INSTALL_DIR}/
  DESTINATION ${LUMO_INSTALL_SUITE_DIR})

install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/help/
  DESTINATION ${LUMO_INSTALL_SUITE_DIR}/LUMO/Programy/pomoc)

if(WIN32)
  include(${PROJECT_SOURCE_DIR}/cmake/windows.cmake)
  return()
endif()

install(PROGRAMS ${PROJECT_SOURCE_DIR}/cmake/launcher.sh
  DESTINATION bin RENAME lumo-sygnalizacja)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/lumo-sygnalizacja.desktop
  DESTINATION share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/lumo-sygnalizacja.svg
  DESTINATION share/icons/hicolor/scalable/apps)

set(CPACK_PACKAGE_NAME lumo-sygnalizacja)
set(CPACK_PACKAGE_VENDOR "lumo")
set(CPACK_PACKAGE_CONTACT "lumo <lumo@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Places traffic signal heads and pedestrian push buttons into CAD drawings")
set(CPACK_PACKAGE_DESCRIPTION
  "A program for road designers: it places traffic signal heads with their\n\
designations, descriptions and contrast screens, and pedestrian push\n\
buttons, into DXF drawings with its own CAD window. Polish user interface\n\
and help; comes with a demo suite (block files, lists, an intersection).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# The libraries come from dpkg-shlibdeps; Qt's platform plugins (the X11 and
# Wayland windows) and the fonts with the Polish letters are not libraries
# the program links, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-dejavu-core")
# The help opens in the system's browser through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
