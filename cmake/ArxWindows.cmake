# The Windows variant, cross-built with cmake/mingw-w64-x86_64.cmake. Its test programs run
# through Wine, in a Wine prefix of the build tree: ctest and the test discovery call them through
# wine-run, which sets the prefix up.
if(NOT CMAKE_CROSSCOMPILING)
  return()
endif()

find_program(ARX_WINE_PROGRAM wine REQUIRED)
set(ARX_WINE_RUN ${CMAKE_BINARY_DIR}/wine-run)
file(CONFIGURE OUTPUT ${ARX_WINE_RUN} @ONLY CONTENT [[#!/bin/sh
# Runs a Windows program of this build under Wine, in the build's own prefix, quietly and
# without Wine's offers to install Mono and Gecko.
export WINEPREFIX="${ARX_WINEPREFIX:-@CMAKE_BINARY_DIR@/wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec "@ARX_WINE_PROGRAM@" "$@"
]])
file(CHMOD ${ARX_WINE_RUN} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
     WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${ARX_WINE_RUN})

# GoogleTest from Debian's sources (libgtest-dev), built for Windows.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Debian's JUCE package, found in the build machine's library folder; its host tool juceaide
# (which embeds the skin images) is a Linux program and runs as it is.
if(NOT JUCE_DIR)
  file(GLOB ARX_JUCE_PACKAGE_DIRS /usr/lib/*/cmake/JUCE-7*)
  list(GET ARX_JUCE_PACKAGE_DIRS 0 JUCE_DIR)
  set(JUCE_DIR ${JUCE_DIR} CACHE PATH "JUCE's CMake package")
endif()
