# Installation and the Debian package.
#
# `cmake --install build --prefix P` lays out a whole suite below
# P/lib/lumo-sygnalizacja (the program and lumo-dxf in LUMO/Programy with the
# help beside them, block files and lists in aZasoby, the demo city in Dane,
# the demo drawing in Rysunki), the launcher P/bin/lumo-sygnalizacja, its
# manual page in English and Polish, a menu entry, an icon, the copyright
# file and changelog in P/share/doc/lumo-sygnalizacja, and what lintian is to
# pass over (cmake/debian/lintian-overrides, each with its reason).
# `cpack -G DEB` in the build folder packs the same tree with the prefix
# /usr; scripts/build-package builds it so, with the distribution's
# hardening flags.
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

# Manual pages and the Debian changelog go compressed as Debian wants them:
# gzip -9 without a name or time stamp, so that the same text gives the same
# bytes.
find_program(LUMO_GZIP gzip REQUIRED)
set(LUMO_DEBIAN_DIR ${PROJECT_SOURCE_DIR}/cmake/debian)
set(LUMO_COMPRESSED_DIR ${CMAKE_BINARY_DIR}/compressed)
set(LUMO_COMPRESSED)
foreach(pair IN ITEMS
    "docs/man/lumo-sygnalizacja.1:man1/lumo-sygnalizacja.1.gz"
    "docs/man/pl/lumo-sygnalizacja.1:pl/man1/lumo-sygnalizacja.1.gz"
    "cmake/debian/changelog:changelog.Debian.gz")
  string(REPLACE ":" ";" pair "${pair}")
  list(GET pair 0 source)
  list(GET pair 1 target)
  string(REGEX REPLACE "\\.gz$" "" plain ${LUMO_COMPRESSED_DIR}/${target})
  get_filename_component(plain_dir ${plain} DIRECTORY)
  add_custom_command(OUTPUT ${LUMO_COMPRESSED_DIR}/${target}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${plain_dir}
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/${source} ${plain}
    COMMAND ${LUMO_GZIP} -9nf ${plain}
    DEPENDS ${PROJECT_SOURCE_DIR}/${source}
    COMMENT "Compressing ${source}"
    VERBATIM)
  list(APPEND LUMO_COMPRESSED ${LUMO_COMPRESSED_DIR}/${target})
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${LUMO_COMPRESSED})

install(FILES ${LUMO_COMPRESSED_DIR}/man1/lumo-sygnalizacja.1.gz DESTINATION share/man/man1)
install(FILES ${LUMO_COMPRESSED_DIR}/pl/man1/lumo-sygnalizacja.1.gz DESTINATION share/man/pl/man1)
install(FILES ${LUMO_DEBIAN_DIR}/copyright ${LUMO_COMPRESSED_DIR}/changelog.Debian.gz
  DESTINATION share/doc/lumo-sygnalizacja)
install(FILES ${LUMO_DEBIAN_DIR}/lintian-overrides
  DESTINATION share/lintian/overrides RENAME lumo-sygnalizacja)

set(CPACK_PACKAGE_NAME lumo-sygnalizacja)
set(CPACK_PACKAGE_VENDOR "lumo-sygnalizacja developers")
# The team's address; cmake/debian/copyright and changelog name it too.
set(CPACK_PACKAGE_CONTACT
  "lumo-sygnalizacja maintainers <maintainers@users.noreply.c-seed-0a08ff43.example>")
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
# The first packaging of this version: 1.0.0-1, whose history is
# cmake/debian/changelog (its first line names the same version).
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# The libraries come from dpkg-shlibdeps (libqt6gui6 brings the X11 window's
# plugin with it); Qt's own Polish texts (the buttons of its dialogs) and the
# fonts with the Polish letters are not libraries the program links, so they
# are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, fonts-dejavu-core")
# The help opens in the system's browser through xdg-open; qt6-wayland gives
# a window of its own on a Wayland desktop (without it Qt uses X11 there).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-wayland")
include(CPack)
