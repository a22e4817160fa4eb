# A static modemswitch for a Linux box, from Debian's cross compilers:
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/linux-cross.cmake -DLINUX_ARCH=armhf \
#         -DMODEMSIM=<the native build's modemsim> ...
# LINUX_ARCH: x86_64, armhf, aarch64 or mipsel. The tests run the binary
# under qemu-user (directly, no binfmt); x86_64 runs as it is.
set(CMAKE_SYSTEM_NAME Linux)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES LINUX_ARCH)

if(LINUX_ARCH STREQUAL "x86_64")
  set(triple x86_64-linux-gnu)
  set(CMAKE_SYSTEM_PROCESSOR x86_64)
  set(emulator "")
elseif(LINUX_ARCH STREQUAL "armhf")
  set(triple arm-linux-gnueabihf)
  set(CMAKE_SYSTEM_PROCESSOR arm)
  set(emulator qemu-arm-static)
elseif(LINUX_ARCH STREQUAL "aarch64")
  set(triple aarch64-linux-gnu)
  set(CMAKE_SYSTEM_PROCESSOR aarch64)
  set(emulator qemu-aarch64-static)
elseif(LINUX_ARCH STREQUAL "mipsel")
  set(triple mipsel-linux-gnu)
  set(CMAKE_SYSTEM_PROCESSOR mipsel)
  set(emulator qemu-mipsel-static)
else()
  message(FATAL_ERROR "LINUX_ARCH must be x86_64, armhf, aarch64 or mipsel")
endif()

set(CMAKE_C_COMPILER ${triple}-gcc)
set(CMAKE_CXX_COMPILER ${triple}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
if(emulator)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${emulator})
endif()

# Small (routers have 8-16 MB of flash): size-optimised, unused functions
# and data dropped at link time, the whole program optimised as one (LTO,
# whose objects the archives index only through the gcc- wrappers), and
# position-dependent code: a static binary is loaded at its fixed address
# anyway, and PIC code is larger (on MIPS by far). Stripped after the build.
set(CMAKE_AR ${triple}-gcc-ar)
set(CMAKE_RANLIB ${triple}-gcc-ranlib)
set(CMAKE_CXX_FLAGS_INIT "-Os -ffunction-sections -fdata-sections -fno-pie -flto=auto")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -no-pie -flto=auto -Wl,--gc-sections")

set(MODEMSWITCH_CROSS ON)
set(MODEMSWITCH_ARCH ${LINUX_ARCH})
# The benchmark's Linux figures come from the x86_64 build.
if(LINUX_ARCH STREQUAL "x86_64")
  set(MODEMSWITCH_BENCH ON)
endif()
