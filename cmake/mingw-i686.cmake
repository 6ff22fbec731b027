# Cross build of the 32-bit Windows module and host with mingw-w64 (i686).
# The POSIX-threads compilers: the C++ library's mutexes (used by GoogleTest)
# need them; winpthread is linked statically like libgcc and libstdc++. The
# module alone links the C++ runtime of the Windows-threads compilers (see
# cmake/Module.cmake).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(QR_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${QR_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QR_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QR_MINGW_PREFIX}-windres)
set(QR_MODULE_RUNTIME_COMPILER ${QR_MINGW_PREFIX}-g++-win32)
set(CMAKE_AR ${QR_MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${QR_MINGW_PREFIX}-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${QR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
