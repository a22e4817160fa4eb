# 32-bit Windows executables (the shipped program), run under Wine's 32-bit loader.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_WINE_LOADER /usr/lib/wine/wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
