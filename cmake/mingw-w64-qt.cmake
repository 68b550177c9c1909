# Cross build for 64-bit Windows with Debian's mingw-w64 (posix threads),
# used to build Qt itself and, through Qt's qt-cmake, the program against it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_lumo_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_lumo_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_lumo_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_lumo_triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_lumo_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
