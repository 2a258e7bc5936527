# Tests of a Windows build run under Wine: the loader of the build's width
# (set by its toolchain file), in a Wine prefix of that width of their own.
# Every test, and the listing of the GoogleTest cases, starts its program
# through BRAMO_WINE_RUN, so a test run needs nothing from the shell.
set(BRAMO_WINE_LOADER "${BRAMO_WINE_LOADER}" CACHE FILEPATH
    "Wine loader of the build's width")
set(BRAMO_WINE_ARCH "${BRAMO_WINE_ARCH}" CACHE STRING "win32 | win64")
if(BRAMO_WINE_ARCH STREQUAL "win64")
  set(default_prefix "${CMAKE_SOURCE_DIR}/build/wine64")
else()
  set(default_prefix "${CMAKE_SOURCE_DIR}/build/wine")
endif()
set(BRAMO_WINE_PREFIX "${default_prefix}" CACHE PATH
    "Wine prefix the Windows tests run in, made by their first Wine run")

set(BRAMO_WINE_RUN "${CMAKE_BINARY_DIR}/wine_run")
configure_file(${CMAKE_SOURCE_DIR}/cmake/wine_run.sh.in ${BRAMO_WINE_RUN}
               @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
               GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${BRAMO_WINE_RUN})
