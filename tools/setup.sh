#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on Debian 12, as root.
# Idempotent: when every package is present it only checks and returns.
set -euo pipefail

packages=(
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine32:i386 fonts-wine
  xvfb xauth x11-utils imagemagick
  cmake ninja-build make g++ googletest clang libclang-rt-14-dev
  g++-arm-linux-gnueabihf g++-aarch64-linux-gnu g++-mipsel-linux-gnu qemu-user-static
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
