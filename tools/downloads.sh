#!/usr/bin/env bash
# Every download, made from the source tree into out/ (or OUT_DIR):
#   tools/downloads.sh [OUT_DIR]
#   modemswitch-VERSION-windows.zip          the Windows program (windows-zip.sh)
#   modemswitch_VERSION_ARCH.deb             Debian packages: amd64, arm64, armhf
#   modemswitch-VERSION-linux-CPU.tar.gz     static binaries: x86_64, armhf,
#                                            aarch64, mipsel (tarball.sh)
#   modemswitch_VERSION_OPENWRT_ARCH.ipk     OpenWrt packages (ipk.sh)
#   SHA256SUMS                               over all of them
# Builds the trees it needs by their presets, and leaves the rest of each
# Debian build (its .changes, debug symbols, the source package) in
# build/packages/ARCH. The same sources give the same bytes (see each script).
# Prints each download's path and size.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$root/out}" && cd "${1:-$root/out}" && pwd)
# shellcheck source=tools/builds.sh
source "$root/tools/builds.sh"
# shellcheck source=tools/release_files.sh
source "$root/tools/release_files.sh"

# Static binary (its preset's CPU) -> the OpenWrt architecture of its .ipk.
declare -A openwrt_arch=([mipsel]=mipsel_24kc [aarch64]=aarch64_cortex-a53
  [armhf]=arm_cortex-a7_neon-vfpv4)

made() { echo "$1, $(stat -c %s "$1") bytes"; }
missed=()
# A download that could not be made is told and the others are made still.
miss() { echo "downloads: $1 failed" >&2; missed+=("$1"); }

windows_zip() {
  local zip
  build_preset win && zip=$(bash "$root/tools/windows-zip.sh" "$(preset_tree win)/app/modemswitch.exe" "$out") &&
    made "$zip"
}

debian_package() {
  local arch=$1 dir=$root/build/packages/$1
  rm -rf "$dir"
  bash "$root/tools/package.sh" "$arch" "$dir" >/dev/null &&
    cp "$dir/modemswitch_${version}_$arch.deb" "$out/" && made "$out/modemswitch_${version}_$arch.deb"
}

# The static binary of a CPU: its tarball, and its .ipk where OpenWrt has
# the CPU.
static_downloads() {
  local cpu=$1 tree file
  tree=$(preset_tree "linux-$cpu")
  build_preset "linux-$cpu" modemswitch modemswitch_manual || return 1
  echo "modemswitch ($cpu): $(stat -c %s "$tree/linux/modemswitch-stripped") bytes stripped"
  file=$(bash "$root/tools/tarball.sh" "$tree" "$cpu" "$out") && made "$file" || return 1
  [ -n "${openwrt_arch[$cpu]:-}" ] || return 0
  file=$(bash "$root/tools/ipk.sh" "$tree/linux/modemswitch-stripped" "${openwrt_arch[$cpu]}" "$out") &&
    made "$file"
}

rm -f "$out"/modemswitch[-_]* "$out/SHA256SUMS"
windows_zip || miss "the Windows zip"
for arch in amd64 arm64 armhf; do debian_package "$arch" || miss "the $arch Debian package"; done
for cpu in x86_64 armhf aarch64 mipsel; do static_downloads "$cpu" || miss "the $cpu tarball or OpenWrt package"; done
if (cd "$out" && sha256sum -- modemswitch[-_]* >SHA256SUMS); then made "$out/SHA256SUMS"; else miss "SHA256SUMS"; fi
[ ${#missed[@]} -eq 0 ]
