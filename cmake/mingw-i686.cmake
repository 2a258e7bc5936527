# 32-bit Windows, the product, with Debian's mingw-w64 i686 toolchain, posix
# thread model (std::thread needs it).  Tests run under 32-bit Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Wine's loader for this width and the kind of prefix it runs in
# (cmake/wine.cmake).
set(BRAMO_WINE_LOADER /usr/lib/wine/wine)
set(BRAMO_WINE_ARCH win32)
