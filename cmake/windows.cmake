# The Windows installation and its installer (included by install.cmake).
#
# `cmake --install` lays out the suite below the prefix: the program,
# lumo-dxf, the Qt and compiler DLLs, qt.conf and the help in LUMO/Programy,
# block files and lists in aZasoby, the demo city in Dane, the demo drawing
# in Rysunki. `cpack -G NSIS` packs the same tree into an installer that
# installs per user, without administrator rights, into a folder the
# program may write to (LUMO.ini and the lists live in the suite).
#
# An MSVC build deploys Qt with windeployqt (src/app); a mingw-w64 cross
# build copies what the program needs from the Qt it was built against.

set(_lumo_programy ${LUMO_INSTALL_SUITE_DIR}/LUMO/Programy)

if(CMAKE_CROSSCOMPILING)
  # Qt: its libraries, the windows platform plug-in, the styles and the
  # image formats; qt.conf tells Qt they lie beside the program.
  get_target_property(_lumo_qtcore Qt6::Core IMPORTED_LOCATION_RELEASE)
  if(NOT _lumo_qtcore)
    get_target_property(_lumo_qtcore Qt6::Core IMPORTED_LOCATION)
  endif()
  get_filename_component(_lumo_qt_bin ${_lumo_qtcore} DIRECTORY)
  get_filename_component(_lumo_qt_prefix ${_lumo_qt_bin} DIRECTORY)
  set(_lumo_qt_dlls Core Gui Widgets)
  if(TARGET Qt6::PrintSupport)
    list(APPEND _lumo_qt_dlls PrintSupport)
  endif()
  foreach(_module IN LISTS _lumo_qt_dlls)
    install(FILES ${_lumo_qt_bin}/Qt6${_module}.dll DESTINATION ${_lumo_programy})
  endforeach()
  # The windows platform (offscreen too, for a run without a screen).
  install(FILES ${_lumo_qt_prefix}/plugins/platforms/qwindows.dll
                ${_lumo_qt_prefix}/plugins/platforms/qoffscreen.dll
    DESTINATION ${_lumo_programy}/platforms)
  foreach(_plugins styles imageformats)
    install(DIRECTORY ${_lumo_qt_prefix}/plugins/${_plugins}/
      DESTINATION ${_lumo_programy}/${_plugins} FILES_MATCHING PATTERN "*.dll")
  endforeach()
  install(FILES ${PROJECT_SOURCE_DIR}/cmake/qt.conf DESTINATION ${_lumo_programy})

  # The compiler's run-time libraries, which Qt links.
  set(_lumo_runtime_dlls)
  foreach(_dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${_dll}
      OUTPUT_VARIABLE _path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${_path}" OR NOT EXISTS "${_path}")
      set(_path /usr/x86_64-w64-mingw32/lib/${_dll})
    endif()
    if(NOT EXISTS "${_path}")
      message(FATAL_ERROR "The run-time library ${_dll} of ${CMAKE_CXX_COMPILER} was not found")
    endif()
    list(APPEND _lumo_runtime_dlls ${_path})
  endforeach()
  install(FILES ${_lumo_runtime_dlls} DESTINATION ${_lumo_programy})
endif()

# Qt's own Polish texts (buttons, standard dialogs): the .qm files do not
# depend on the platform, so Debian's serve.
if(CMAKE_CROSSCOMPILING)
  set(_lumo_translations /usr/share/qt6/translations)
else()
  set(_lumo_translations "$ENV{QTDIR}/translations")
endif()
set(LUMO_QT_TRANSLATIONS ${_lumo_translations} CACHE PATH "Where qtbase_pl.qm lies")
if(EXISTS ${LUMO_QT_TRANSLATIONS}/qtbase_pl.qm)
  install(FILES ${LUMO_QT_TRANSLATIONS}/qtbase_pl.qm DESTINATION ${_lumo_programy}/translations)
elseif(CMAKE_CROSSCOMPILING)
  message(FATAL_ERROR "qtbase_pl.qm not found in ${LUMO_QT_TRANSLATIONS} (Debian package qt6-translations-l10n)")
endif()

set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME lumo-sygnalizacja)
set(CPACK_PACKAGE_VENDOR "LUMO")
set(CPACK_PACKAGE_FILE_NAME "lumo-sygnalizacja-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "LUMO Sygnalizacja")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Sygnalizatory i przyciski dla pieszych na rysunkach CAD")
set(CPACK_NSIS_DISPLAY_NAME "LUMO Sygnalizacja")
set(CPACK_NSIS_PACKAGE_NAME "LUMO Sygnalizacja")
set(CPACK_STRIP_FILES ON)
# Our own installer script: per user, Polish, and upgrades that keep the
# user's settings, lists and drawings.
set(CPACK_MODULE_PATH ${PROJECT_SOURCE_DIR}/cmake/nsis)
include(CPack)
