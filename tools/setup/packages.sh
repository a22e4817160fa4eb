# shellcheck shell=bash
# The packages the project needs, grouped by what each group lets us build or
# check, and what apt's answers mean for them. tools/setup.sh installs with
# these functions; tools/test.sh asks them which checks lack their tools.
# The decisions take apt's output as text, so they are tested without a mirror.
#
# A package mirror caught mid-sync is the failure planned for here: some
# indexes (often a foreign architecture of the security suite) fail to
# download, and then packages of that architecture no longer match the amd64
# versions of the same source, which multiarch requires, so apt refuses them.

# GROUP PACKAGE... : one line per group, named after what needs it.
# MinGW-w64 for both processors and both thread models (win32: the shipped
# program; posix: the tests); Wine with the 64-bit loader (wine32 adds the
# 32-bit one, only on hosts that can run it). The Debian package needs
# debhelper and scdoc to build, lintian and man to be checked; its arm64 and
# armhf builds read those architectures' C and C++ libraries (multiarch), and
# qemu-user runs the binaries. zip makes the Windows download, unzip checks it.
setup_package_groups() {
  cat <<'EOF'
windows g++-mingw-w64-i686-posix g++-mingw-w64-i686-win32 binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 wine wine64 fonts-wine xvfb xauth x11-utils imagemagick zip unzip
wine32 wine32:i386
native cmake ninja-build make g++ googletest clang libclang-rt-14-dev nlohmann-json3-dev build-essential
linux-x86_64 g++
linux-armhf g++-arm-linux-gnueabihf qemu-user-static
linux-aarch64 g++-aarch64-linux-gnu qemu-user-static
linux-mipsel g++-mipsel-linux-gnu qemu-user-static
package-amd64 dpkg-dev debhelper scdoc lintian man-db groff-base
package-arm64 dpkg-dev debhelper scdoc lintian man-db groff-base qemu-user-static crossbuild-essential-arm64 libc6-dev:arm64 libstdc++-12-dev:arm64
package-armhf dpkg-dev debhelper scdoc lintian man-db groff-base qemu-user-static crossbuild-essential-armhf libc6-dev:armhf libstdc++-12-dev:armhf
EOF
}

# setup_groups_for_host RUNS_32BIT (yes|no): the groups this host needs. One
# that cannot run 32-bit programs has no use for the 32-bit Wine.
setup_groups_for_host() {
  setup_package_groups | awk -v runs32="$1" '$1 != "wine32" || runs32 == "yes" { print $1 }'
}

# setup_packages GROUP...: their packages, each once.
setup_packages() {
  setup_package_groups | awk -v groups=" $* " 'index(groups, " " $1 " ") {
    for (i = 2; i <= NF; i++) if (!seen[$i]++) print $i }'
}

# setup_foreign_archs PACKAGE...: the architectures named as "name:arch".
setup_foreign_archs() {
  printf '%s\n' "$@" | sed -n 's/^[^:]*:\(.*\)$/\1/p' | sort -u
}

# On stdin apt-get update's output; out the indexes it failed to fetch, one
# "suite/component architecture" a line (the URL where it has no dists/ part).
setup_failed_indexes() {
  sed -n 's/^[EW]: Failed to fetch \([^ ]*\).*/\1/p' |
    sed 's,.*/dists/\([^/]*\)/\([^/]*\)/binary-\([^/]*\)/.*,\1/\2 \3,; s,.*/dists/\([^/]*\)/.*,\1,' | sort -u
}

# On stdin apt-get install's output; out each unmet dependency it reports,
# "PACKAGE|DEPENDENCY|VERSION WANTED|VERSION TO BE INSTALLED" (the versions
# empty where apt gives none). Indented lines belong to the package above.
setup_unmet() {
  awk '
    /^ [^ ]+ : [A-Za-z-]+: / { package = $1; sub(/^ [^ ]+ : /, "") ; unmet($0); next }
    /^  +[A-Za-z-]+: / && package != "" { sub(/^ +/, ""); unmet($0); next }
    /^[^ ]/ { package = "" }
    function unmet(line,   f, n, wanted, installed) {
      n = split(line, f, " ")
      if (f[1] !~ /^(Pre)?Depends:$/) return
      wanted = installed = ""
      if (f[3] == "(=" ) { wanted = f[4]; sub(/\)$/, "", wanted) }
      if (match(line, / but [^ ]+ is to be installed/)) {
        installed = substr(line, RSTART + 5, RLENGTH - 5); sub(/ .*/, "", installed)
      }
      print package "|" f[2] "|" wanted "|" installed
    }'
}

# setup_refused REQUESTED...; on stdin apt-get install's output: the
# requested packages to leave out for the install to go through. A named
# package that was requested goes; one that was not (a dependency of another
# architecture) takes every requested package of its architecture with it.
# Nothing when apt's refusal is not about unmet dependencies.
setup_refused() {
  local requested=" $* "
  setup_unmet | cut -d'|' -f1 | sort -u | while read -r name; do
    if [[ $requested == *" $name "* ]]; then
      echo "$name"
    elif [[ $name == *:* ]]; then
      printf '%s\n' "$@" | grep -x ".*:${name#*:}"
    fi
  done | sort -u
}

# setup_skew_line NATIVE_ARCH REFUSED...; on stdin apt-get install's output:
# the one line that says which packages apt refused and why.
setup_skew_line() {
  local native=$1 unmet why fix
  shift
  unmet=$(setup_unmet)
  why=$(awk -F'|' '!seen[$2]++ {
      printf "%s%s needs %s", sep, $1, $2; sep = "; "
      if ($3 != "" && $4 != "") printf " %s, %s is to be installed", $3, $4
      else if ($3 != "") printf " %s", $3
      else printf ", which apt will not install" }' <<<"$unmet")
  fix=$(awk -F'|' '!named[$1]++ { printf " %s", $1 } $3 != "" && !pinned[$2]++ { printf " %s=%s", $2, $3 }' <<<"$unmet")
  echo "setup: apt refuses $(printf '%s\n' "$@" | paste -sd, | sed 's/,/, /g'): their versions no longer match the $native ones ($why)." \
    "That is the package mirror mid-sync, not this project: wait for the mirror and run again," \
    "or install the matching versions (apt-get install${fix:- with pinned versions});" \
    "going on without them"
}

# setup_runs_32bit: yes when this host runs 32-bit x86 programs. A 96-byte
# i386 program that exits 42 tells, before any i386 library is installed.
setup_runs_32bit() {
  local dir status=0
  [ "$(dpkg --print-architecture)" = amd64 ] || { echo no; return; }
  dir=$(mktemp -d) || { echo no; return; }
  printf '%b' '\x7fELF\x01\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x03\0\x01\0\0\0\x54\x80\x04\x08' \
    '\x34\0\0\0\0\0\0\0\0\0\0\0\x34\0\x20\0\x01\0\0\0\0\0\0\0' \
    '\x01\0\0\0\0\0\0\0\0\x80\x04\x08\0\x80\x04\x08\x60\0\0\0\x60\0\0\0\x05\0\0\0\0\x10\0\0' \
    '\xb8\x01\0\0\0\xbb\x2a\0\0\0\xcd\x80' >"$dir/probe" && chmod 700 "$dir/probe" &&
    { "$dir/probe" 2>/dev/null || status=$?; }
  rm -rf "$dir"
  if [ "$status" -eq 42 ]; then echo yes; else echo no; fi
}

# setup_not_installed PACKAGE...: those dpkg does not have installed.
setup_not_installed() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}

# setup_missing GROUP: the group's packages not installed, when this host
# needs the group at all (a check that needs them cannot run).
setup_missing() {
  setup_groups_for_host "$(setup_runs_32bit)" | grep -qx "$1" || return 0
  # shellcheck disable=SC2046 # package names are single words
  setup_not_installed $(setup_packages "$1") | paste -sd' '
}

# apt-get update, tried again after a pause (MODEMSWITCH_APT_PAUSE seconds,
# 25 unless set) while it fails; after the last try it goes on with the
# lists that are there and says which are missing.
setup_update() {
  local tries=3 try output missing
  for ((try = 1; try <= tries; try++)); do
    output=$(apt-get update -qq 2>&1) && return 0
    missing=$(setup_failed_indexes <<<"$output" | paste -sd, | sed 's/,/, /g')
    [ -n "$missing" ] || missing=$(grep '^E:' <<<"$output" | paste -sd' ')
    if [ "$try" -lt "$tries" ]; then
      echo "setup: apt-get update failed ($missing), try $try of $tries; again in ${MODEMSWITCH_APT_PAUSE:-25} s" >&2
      sleep "${MODEMSWITCH_APT_PAUSE:-25}"
    fi
  done
  echo "setup: apt-get update still fails after $tries tries ($missing): going on with the lists that are there" >&2
}

# setup_install NATIVE_ARCH PACKAGE...: installs them. Where apt refuses some
# for unmet dependencies, says so in one line and installs the rest; fails
# when it refuses for any other reason.
setup_install() {
  local native=$1 output refused p
  shift
  local wanted=("$@")
  while [ ${#wanted[@]} -gt 0 ]; do
    # -q, not -qq: -qq hides the unmet dependencies.
    output=$(apt-get install -y -q --no-install-recommends "${wanted[@]}" 2>&1) && return 0
    refused=$(setup_refused "${wanted[@]}" <<<"$output")
    if [ -z "$refused" ]; then
      echo "setup: apt-get install failed:" >&2
      tail -n 20 <<<"$output" | sed 's/^/    /' >&2
      return 1
    fi
    # shellcheck disable=SC2086 # package names are single words
    setup_skew_line "$native" $refused <<<"$output" >&2
    local rest=()
    for p in "${wanted[@]}"; do grep -qx "$p" <<<"$refused" || rest+=("$p"); done
    wanted=("${rest[@]}")
  done
}
