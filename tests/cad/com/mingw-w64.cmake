# Cross build for 64-bit Windows with Debian's mingw-w64. The posix thread
# flavour gives std::thread and std::mutex; everything is linked statically so
# the executables run under Wine without extra DLLs beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_lumo_triple x86_64-w64-mingw32)
find_program(_lumo_cxx NAMES ${_lumo_triple}-g++-posix ${_lumo_triple}-g++ REQUIRED)
find_program(_lumo_cc NAMES ${_lumo_triple}-gcc-posix ${_lumo_triple}-gcc REQUIRED)
set(CMAKE_CXX_COMPILER ${_lumo_cxx})
set(CMAKE_C_COMPILER ${_lumo_cc})
set(CMAKE_RC_COMPILER ${_lumo_triple}-windres)

# LUMO_CROSS_PREFIX: where the cross-built GoogleTest is installed.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES LUMO_CROSS_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/${_lumo_triple} ${LUMO_CROSS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0601")
