# 64-bit Windows with Debian's mingw-w64 x86_64 toolchain, posix thread
# model.  Not a product: it tests the Windows layer under 64-bit Wine on
# machines whose kernel runs no 32-bit program.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Started directly: the wine wrapper takes the 32-bit loader whenever it is
# installed.
set(BRAMO_WINE_LOADER /usr/lib/wine/wine64)
set(BRAMO_WINE_ARCH win64)
