# Cross build for 32-bit Windows with Debian's MinGW-w64 (posix thread model).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(VG_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${VG_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VG_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VG_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VG_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every PE file must need system DLLs only: libgcc, libstdc++ and winpthread go in statically.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
