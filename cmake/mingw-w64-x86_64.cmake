# Cross-building the Windows program on Debian: the x86_64 mingw-w64 compilers with POSIX threads
# (std::thread and std::mutex need them).
#
# ARX_WIN_DEPS_PREFIX: where the Windows builds of libpng and libjpeg are installed
# (scripts/build-windows makes them); searched for headers and libraries before the compiler's
# own folder.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ARX_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ARX_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ARX_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ARX_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${ARX_MINGW_TRIPLET}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${ARX_MINGW_TRIPLET}-gcc-ranlib-posix CACHE FILEPATH "")

set(ARX_WIN_DEPS_PREFIX "" CACHE PATH "Windows builds of libpng and libjpeg")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ARX_WIN_DEPS_PREFIX)

set(CMAKE_FIND_ROOT_PATH ${ARX_WIN_DEPS_PREFIX} /usr/${ARX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# JUCE's CMake package and its host tool come from the build machine; nothing else does.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# No compiler run-time DLLs next to the program.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
