#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on Debian 12, as root.
#   tools/setup.sh             installs what is missing; quick when nothing is
#   tools/setup.sh --missing   lists the packages this host wants and lacks
# Exit status: 0 all installed; 2 some of another architecture's packages
# could not be (a package mirror mid-sync; the rest is installed and the
# checks that need them fail by name); 1 failed.
#
# A mirror mid-sync serves some package lists of a suite and not others
# ("File has unexpected size ... Mirror sync in progress?"); apt then keeps
# the old lists for those, and another architecture's packages no longer
# match this machine's ("held broken packages"). So the lists are fetched up
# to three times, apt goes on with those it has, this machine's own packages
# are installed first and on their own, then each other architecture's.
set -uo pipefail

# MinGW-w64 for both processors and both thread models (win32: the shipped
# program; posix: the tests); Wine. The Debian package of the Linux command
# line needs debhelper and scdoc to build, lintian and man to be checked.
# zip makes the Windows download, unzip checks it.
own_packages=(
  g++-mingw-w64-i686-posix g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64
  wine wine64 fonts-wine
  xvfb xauth x11-utils imagemagick
  cmake ninja-build make g++ googletest clang libclang-rt-14-dev nlohmann-json3-dev
  g++-arm-linux-gnueabihf g++-aarch64-linux-gnu g++-mipsel-linux-gnu qemu-user-static
  build-essential dpkg-dev debhelper scdoc lintian man-db groff-base
  crossbuild-essential-arm64 crossbuild-essential-armhf
  zip unzip
)
# Other architectures' packages, a group each: Wine's 32-bit loader, which
# only a host that runs 32-bit programs can start (elsewhere the Windows tests
# run the 64-bit build); the C and C++ libraries the arm64 and armhf Debian
# packages are cross-built against (multiarch), which dpkg-shlibdeps reads
# and qemu-user runs the unpacked binaries with.
declare -A foreign_packages=(
  [i386]="wine32:i386"
  [arm64]="libc6-dev:arm64 libstdc++-12-dev:arm64"
  [armhf]="libc6-dev:armhf libstdc++-12-dev:armhf"
)

# --- Decisions, each from apt's own words (tools/tests/setup_test.sh feeds
# --- them captured text) -------------------------------------------------

# The package lists apt-get update could not fetch, "SUITE/COMPONENT ARCH"
# a line, from its output on stdin.
failed_lists() {
  sed -nE 's#^[EW]: Failed to fetch [^ ]*/dists/([^/]+)/([^/]+)/binary-([^/ ]+)/.*#\1/\2 \3#p' | sort -u
}

# Why apt-get install refused, from its output on stdin: the first
# dependency on an exact version that another is to be installed instead of
# ("libwine:i386 8.0~repack-4, but 8.0~repack-4+deb12u1 is to be installed"),
# or apt's own last error line.
refusal_reason() {
  local text reason
  text=$(cat)
  reason=$(sed -nE 's/.*Depends: ([^ ]+) \(= ([^)]+)\) but ([^ ]+) is to be installed.*/\1 \2, but \3 is to be installed/p' <<<"$text" | head -n 1)
  [ -n "$reason" ] || reason=$(grep '^E: ' <<<"$text" | tail -n 1 | sed 's/^E: //')
  echo "$reason"
}

# The other architectures whose packages this host wants: i386 only where a
# 32-bit program runs (RUNS_32_BIT is yes or no).
wanted_architectures() {
  local arch
  for arch in i386 arm64 armhf; do
    [ "$arch" = i386 ] && [ "$1" != yes ] && continue
    echo "$arch"
  done
}

# The one line said when another architecture's packages are refused.
skew_line() {
  echo "setup: apt refuses $1 ($2): the package mirror serves this machine's" \
    "packages at another version than that architecture's (a mirror mid-sync), not" \
    "a fault of the project. Wait for the mirror and run again, or pin the suite" \
    "below the installed versions and install the skewed packages at the other" \
    "architecture's version (apt-get install PACKAGE=VERSION --allow-downgrades)."
}

# --- This machine ----------------------------------------------------------

# A 32-bit x86 program that only exits 0: whether this kernel runs 32-bit
# programs, known before any 32-bit package is installed.
runs_32_bit() {
  local probe status
  probe=$(mktemp /tmp/modemswitch-probe32.XXXXXX) || return 1
  base64 -d >"$probe" <<<"f0VMRgEBAQAAAAAAAAAAAAIAAwABAAAAVIAECDQAAAAAAAAAAAAAADQAIAABAAAAAAAAAAEAAAAAAAAAAIAECACABAhbAAAAWwAAAAUAAAAAEAAAMdsxwEDNgA=="
  chmod 0700 "$probe"
  "$probe" 2>/dev/null
  status=$?
  rm -f "$probe"
  if [ "$status" -eq 0 ]; then echo yes; else echo no; fi
}

not_installed() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}

# Every package this host wants (RUNS_32_BIT): its own, then each wanted
# architecture's.
wanted_packages() {
  local arch
  printf '%s\n' "${own_packages[@]}"
  for arch in $(wanted_architectures "$1"); do
    # shellcheck disable=SC2086 # a group is a list of names
    printf '%s\n' ${foreign_packages[$arch]}
  done
}

# apt-get update, up to three times SETUP_RETRY_PAUSE seconds apart (30);
# then the lists that are there are used, the missing ones named.
update_lists() {
  local try output
  for try in 1 2 3; do
    output=$(apt-get update -qq 2>&1) && return 0
    [ "$try" -eq 3 ] || sleep "${SETUP_RETRY_PAUSE:-30}"
  done
  echo "setup: apt could not fetch these package lists three times (a mirror mid-sync?):" \
    "$(failed_lists <<<"$output" | paste -sd, - | sed 's/,/, /g'); going on with the lists there are" >&2
  failed_lists <<<"$output" | grep -q . || { echo "$output" >&2; return 1; }
}

# Installs the packages; on a refusal, prints apt's reason and fails.
apt_install() {
  local output
  output=$(apt-get install -y -qq --no-install-recommends "$@" 2>&1) && return 0
  refusal_reason <<<"$output"
  return 1
}

main() {
  local runs32 missing arch reason status=0
  runs32=$(runs_32_bit)
  mapfile -t missing < <(mapfile -t wanted < <(wanted_packages "$runs32") && not_installed "${wanted[@]}")
  if [ "${1:-}" = --missing ]; then
    [ ${#missing[@]} -eq 0 ] || printf '%s\n' "${missing[@]}"
    return 0
  fi
  [ ${#missing[@]} -eq 0 ] && return 0

  echo "setup: installing ${missing[*]}"
  for arch in $(wanted_architectures "$runs32"); do
    dpkg --print-foreign-architectures | grep -qx "$arch" || dpkg --add-architecture "$arch"
  done
  export DEBIAN_FRONTEND=noninteractive
  update_lists || { echo "setup: apt-get update failed" >&2; return 1; }
  apt_install "${missing[@]}" >/dev/null && return 0

  # Refused: this machine's packages alone, then each architecture's.
  mapfile -t missing < <(not_installed "${own_packages[@]}")
  if [ ${#missing[@]} -gt 0 ] && ! reason=$(apt_install "${missing[@]}"); then
    echo "setup: apt refuses this machine's own packages: $reason" >&2
    return 1
  fi
  for arch in $(wanted_architectures "$runs32"); do
    # shellcheck disable=SC2086 # a group is a list of names
    mapfile -t missing < <(not_installed ${foreign_packages[$arch]})
    [ ${#missing[@]} -gt 0 ] || continue
    reason=$(apt_install "${missing[@]}") && continue
    skew_line "${missing[*]}" "$reason" >&2
    status=2
  done
  return "$status"
}

# Sourced by its test for the decisions alone.
[ "${BASH_SOURCE[0]}" != "$0" ] || main "$@"
