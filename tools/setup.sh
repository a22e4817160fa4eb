#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on Debian 12, as root.
# Idempotent: when every package is present it only checks and returns.
set -euo pipefail
trap 'echo "setup: failed: $BASH_COMMAND" >&2' ERR

# MinGW-w64 for both processors and both thread models (win32: the shipped
# program; posix: the tests); Wine with both loaders, since a host without
# 32-bit support runs the 64-bit build of the tests. The Debian package of
# the Linux command line needs debhelper and scdoc to build, lintian and man
# to be checked; its arm64 and armhf packages are cross-built against those
# architectures' C and C++ libraries (multiarch), which dpkg-shlibdeps reads
# and qemu-user runs the unpacked binaries with. zip makes the Windows
# download, unzip checks it.
packages=(
  g++-mingw-w64-i686-posix g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 fonts-wine
  xvfb xauth x11-utils imagemagick
  cmake ninja-build make g++ googletest clang libclang-rt-14-dev nlohmann-json3-dev
  g++-arm-linux-gnueabihf g++-aarch64-linux-gnu g++-mipsel-linux-gnu qemu-user-static
  build-essential dpkg-dev debhelper scdoc lintian man-db groff-base
  crossbuild-essential-arm64 crossbuild-essential-armhf
  libc6-dev:arm64 libstdc++-12-dev:arm64 libc6-dev:armhf libstdc++-12-dev:armhf
  zip unzip
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
for arch in i386 arm64 armhf; do
  dpkg --print-foreign-architectures | grep -qx "$arch" || dpkg --add-architecture "$arch"
done
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
