# The part of the MinGW-w64 toolchain files both processors share; the
# including file sets CMAKE_SYSTEM_PROCESSOR first. The tests of such a tree
# run under Wine through cmake/wine_session.cmake.
#
# MINGW_THREADS picks the compilers' thread model: "win32" for the shipped
# program (its runtime imports nothing newer than Windows XP), "posix" for the
# test programs (GoogleTest needs std::mutex, which only that model has).
set(MINGW_THREADS win32 CACHE STRING "MinGW-w64 thread model: win32 or posix")
set(CMAKE_SYSTEM_NAME Windows)
set(MINGW_TRIPLE ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)

set(CMAKE_C_COMPILER   ${MINGW_TRIPLE}-gcc-${MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-${MINGW_THREADS})
set(CMAKE_RC_COMPILER  ${MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# No runtime DLLs to ship: the C++ runtime is linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
