#!/usr/bin/env bash
# Every test of the project: installs what is missing, builds every tree by its
# preset (CMakePresets.json), runs each tree's tests with ctest (the Windows
# ones under Wine, the Linux binaries of other processors under qemu, all
# against simulated modems) and ends with one summary line.
#
# On a host that cannot run 32-bit programs the Windows tests run on a 64-bit
# build of the same sources (see tools/wine-env.sh; MODEMSWITCH_WINE_ARCH=win64
# forces that path). The 32-bit program is built and checked on every host.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1

fail() { echo "test: $*" >&2; exit 1; }
step() { echo; echo "== $*"; }

# 2: another architecture's packages are missing (a package mirror mid-sync);
# the rest runs, and the checks that need them fail by name.
bash tools/setup.sh
case $? in 0 | 2) ;; *) fail "installing the packages failed" ;; esac
# shellcheck source=tools/setup/packages.sh
source tools/setup/packages.sh
# shellcheck source=tools/wine-env.sh
source tools/wine-env.sh
# shellcheck source=tools/builds.sh
source tools/builds.sh
results=$root/build/test-results  # ctest's and GoogleTest's reports, the package

# The checks below and the trees' tests count one test each.
passed=0 failed=0
count() {
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what"
    passed=$((passed + 1))
  else
    echo "FAILED: $what" >&2
    failed=$((failed + 1))
  fi
}
# installed GROUP WHAT: true when the packages WHAT needs (a group of
# tools/setup/packages.sh) are there; else WHAT fails by name, since the
# set-up could not install them (a package mirror mid-sync, which it named).
installed() {
  local missing
  missing=$(setup_missing "$1")
  [ -z "$missing" ] && return 0
  count "$2: not installed: $missing (the package mirror, see the set-up's message)" false
  return 1
}

# Without the 32-bit Wine on a host that runs 32-bit programs, the Windows
# tests run the 64-bit build, and the 32-bit run fails by name.
installed wine32 "the Windows tests under 32-bit Wine" ||
  export MODEMSWITCH_WINE_ARCH=${MODEMSWITCH_WINE_ARCH:-win64}
wine_detect_arch || fail "no usable Wine"
windows_program=$(program_preset)
windows_tests=$(tests_preset)
linux_presets=()
for preset in linux-x86_64 linux-armhf linux-aarch64 linux-mipsel; do
  installed "$preset" "modemswitch for Linux (${preset#linux-})" && linux_presets+=("$preset")
done

step "the shipped program (32-bit)"
build_preset win || fail "building the program failed"
exe=$(preset_tree win)/app/modemswitch.exe
echo "program: $exe, $(stat -c %s "$exe") bytes, sha256 $(sha256sum "$exe" | cut -d' ' -f1)"
if [ "$windows_program" != win ]; then
  step "the same program for x86_64 (the one the tests run here)"
  build_preset "$windows_program" || fail "building the 64-bit program failed"
fi

step "native build (simulator, fuzzer, checks of the program's file)"
build_preset native || fail "the native build failed"

step "Windows tests build ($WINE_CPU)"
build_preset "$windows_tests" || fail "building the Windows tests failed"

# modemswitch for Linux boxes: a static binary per architecture, each tested
# under qemu against a simulated ZTE and Huawei modem.
for preset in "${linux_presets[@]}"; do
  step "modemswitch for Linux (${preset#linux-})"
  build_preset "$preset" || fail "building modemswitch for ${preset#linux-} failed"
done

rm -rf "$results"
mkdir -p "$results/gtest"
# Runs one tree's tests and adds ctest's own counts (its JUnit report) to the
# totals: a test counts as passed when ctest ran it and it passed, as failed
# otherwise (failed, skipped for want of another tree's output, not run for
# want of its fixture, timed out): here every tree is built, nothing skips.
run_ctest() {
  local preset=$1 report=$results/$1.xml status=0
  ctest --preset "$preset" --output-junit "$report" || status=$?
  if ! [ -s "$report" ]; then
    echo "test: ctest --preset $preset left no report (exit status $status)" >&2
    failed=$((failed + 1))
    return
  fi
  local total ok
  total=$(grep -o '<testcase ' "$report" | wc -l)
  ok=$(grep -o '<testcase [^>]* status="run"' "$report" | wc -l)
  passed=$((passed + ok)) failed=$((failed + total - ok))
  if [ "$status" -ne 0 ] && [ "$ok" -eq "$total" ]; then
    echo "test: ctest --preset $preset failed (exit status $status) with every test passed" >&2
    failed=$((failed + 1))
  fi
}

step "the program's own checks"
run_ctest win
[ "$windows_program" = win ] || run_ctest "$windows_program"
# Every GoogleTest program leaves a report in one folder; the summary counts
# its cases. Windows programs reach it through Wine's drive Z:.
step "native tests"
GTEST_OUTPUT="xml:$results/gtest/" run_ctest native
for preset in "${linux_presets[@]}"; do
  step "modemswitch for Linux (${preset#linux-}) against the simulator"
  run_ctest "$preset"
done
step "Windows tests under Wine ($WINE_ARCH)"
GTEST_OUTPUT="xml:Z:$results/gtest/" run_ctest "$windows_tests"

# Every download, by the one command that makes them (tools/downloads.sh),
# into out/; then each is checked.
step "every download (tools/downloads.sh)"
downloads=$root/out
version=$(dpkg-parsechangelog -l debian/changelog -S Version)
count "every download is made" bash tools/downloads.sh "$downloads"
download=$downloads/modemswitch-$version-windows.zip
declare -A openwrt_arch=([mipsel]=mipsel_24kc [aarch64]=aarch64_cortex-a53 [armhf]=arm_cortex-a7_neon-vfpv4)
# The files SHA256SUMS must name, no more and no fewer.
expected_downloads() {
  local arch cpu
  echo "modemswitch-$version-windows.zip"
  for arch in amd64 arm64 armhf; do echo "modemswitch_${version}_$arch.deb"; done
  for cpu in x86_64 armhf aarch64 mipsel; do echo "modemswitch-$version-linux-$cpu.tar.gz"; done
  for cpu in "${!openwrt_arch[@]}"; do echo "modemswitch_${version}_${openwrt_arch[$cpu]}.ipk"; done
}
downloads_summed() {
  (cd "$downloads" && sha256sum --quiet -c SHA256SUMS) &&
    diff <(expected_downloads | sort) <(awk '{ print $2 }' "$downloads/SHA256SUMS" | sort)
}
count "SHA256SUMS holds for every download, and names each" downloads_summed

# The Windows download unpacks, its checksums hold and it holds what was put
# in: the program, README.txt the Russian text in Windows-1251, it and
# LICENSE.txt with every line ended by CRLF.
download_unpacks() {
  local dir=$results/download
  mkdir -p "$dir" && unzip -q "$download" -d "$dir" &&
    (cd "$dir" && sha256sum --quiet -c SHA256SUMS) &&
    cmp -s "$dir/modemswitch.exe" "$exe" &&
    ! grep -qv $'\r$' "$dir/README.txt" "$dir/LICENSE.txt" &&
    tr -d '\r' <"$dir/README.txt" | iconv -f CP1251 -t UTF-8 | cmp -s - docs/windows-readme.ru.txt &&
    tr -d '\r' <"$dir/LICENSE.txt" | cmp -s - LICENSE
}
count "the Windows download unpacks, its checksums and texts hold" download_unpacks

# A static binary's tarball: one folder with the binary of its tree, both
# manual pages, README and LICENSE.
tarball_holds() {
  local cpu=$1 name=modemswitch-$version-linux-$1 dir=$results/tarball-$1
  mkdir -p "$dir" && tar -xzf "$downloads/$name.tar.gz" -C "$dir" &&
    diff <(tar -tzf "$downloads/$name.tar.gz") \
      <(printf '%s\n' "$name/" "$name/"{LICENSE,README,modemswitch,modemswitch.1,modemswitch.ru.1}) &&
    cmp "$dir/$name/modemswitch" "$(preset_tree "linux-$cpu")/linux/modemswitch-stripped"
}
# An .ipk unpacked as opkg does: a gzip'd tar of debian-binary, data.tar.gz
# and control.tar.gz; its control names the package, version and OpenWrt
# architecture; its data is usr/bin/modemswitch alone, the CPU's binary,
# which then switches a simulated modem under qemu.
# The ELF machine (e_machine) an OpenWrt architecture's binaries carry, from
# the architecture's own name: a package's binary is checked against what
# the package says it is for, not against the mapping that made it.
openwrt_elf_machine() {
  case $1 in mipsel_*) echo 8 ;; arm_*) echo 40 ;; aarch64_*) echo 183 ;; esac
}
elf_machine() { od -An -tu2 -j18 -N2 "$1" | tr -d ' '; }
ipk_unpacks() {
  local cpu=$1 arch=${openwrt_arch[$1]} dir=$results/ipk-$1
  local ipk=$downloads/modemswitch_${version}_$arch.ipk
  local control=$dir/control/control program=$dir/data/usr/bin/modemswitch
  mkdir -p "$dir/control" "$dir/data" && tar -xzf "$ipk" -C "$dir" &&
    [ "$(tar -tzf "$ipk" | tr '\n' ' ')" = "./debian-binary ./data.tar.gz ./control.tar.gz " ] &&
    [ "$(cat "$dir/debian-binary")" = 2.0 ] &&
    tar -xzf "$dir/control.tar.gz" -C "$dir/control" && tar -xzf "$dir/data.tar.gz" -C "$dir/data" &&
    grep -qx "Package: modemswitch" "$control" &&
    grep -qx "Version: $version" "$control" &&
    grep -qx "Architecture: $arch" "$control" &&
    grep -qx "Installed-Size: $(stat -c %s "$program")" "$control" &&
    grep -qx 'Section: utils' "$control" && grep -q '^Maintainer: .*<.*@.*>$' "$control" &&
    grep -q '^Description: .*ZTE.*Huawei' "$control" &&
    [ "$(cd "$dir/data" && find . -type f)" = ./usr/bin/modemswitch ] &&
    [ "$(elf_machine "$program")" = "$(openwrt_elf_machine "$arch")" ] &&
    cmp "$program" "$(preset_tree "linux-$cpu")/linux/modemswitch-stripped" &&
    tools/modemsim/with_modemsim.sh "$MODEMSIM" linux/tests/switch_under_emulator.sh huawei \
      "qemu-${cpu/armhf/arm}-static" \
      "$program" >"$dir/switch.log" 2>&1
}
# Made again in another time zone and umask, each archive is the same bytes.
downloads_repeat() {
  local again=$results/downloads-again cpu
  (umask 077 && export TZ=Asia/Tokyo &&
    bash tools/windows-zip.sh "$exe" "$again" &&
    for cpu in x86_64 armhf aarch64 mipsel; do
      bash tools/tarball.sh "$(preset_tree "linux-$cpu")" "$cpu" "$again" || exit 1
      [ -z "${openwrt_arch[$cpu]:-}" ] ||
        bash tools/ipk.sh "$(preset_tree "linux-$cpu")/linux/modemswitch-stripped" "${openwrt_arch[$cpu]}" "$again" ||
        exit 1
    done) >/dev/null &&
    for file in "$again"/*; do cmp "$file" "$downloads/${file##*/}" || return 1; done
}
MODEMSIM=$(preset_tree native)/tools/modemsim/modemsim
export MODEMSIM
for cpu in x86_64 armhf aarch64 mipsel; do
  count "the $cpu tarball holds its binary, manual pages and readme" tarball_holds "$cpu"
done
for cpu in "${!openwrt_arch[@]}"; do
  count "the ${openwrt_arch[$cpu]} package unpacks as opkg does, and its binary switches" ipk_unpacks "$cpu"
done
count "the zip, tarballs and OpenWrt packages are the same bytes when made again" downloads_repeat

# The Debian package of the Linux command line for each architecture, built
# by tools/downloads.sh from a copy of the tree (another architecture's
# cross-built) and checked by lintian; then the package's own tests
# (debian/tests, which autopkgtest runs on the installed package) on it
# unpacked into a throwaway root, another processor's binary under qemu-user,
# beside the native simulator.
# The tests debian/tests/control lists: per stanza, its Tests and
# Restrictions fields, a line "NAME...|RESTRICTION...".
package_tests() {
  awk '/^Tests:/ { sub(/^Tests: */, ""); tests = $0 }
    /^Restrictions:/ { sub(/^Restrictions: */, ""); gsub(/,/, " "); restrictions = $0 }
    /^$/ { if (tests != "") print tests "|" restrictions; tests = restrictions = "" }
    END { if (tests != "") print tests "|" restrictions }' debian/tests/control
}
# One test as autopkgtest runs it: from the source tree, with a private
# AUTOPKGTEST_TMP; it fails by its exit status, or by writing to stderr
# unless its restrictions allow that. Its output goes to LOG.
package_test() {
  local name=$1 restrictions=$2 log=$3 tmp status
  tmp=$(mktemp -d /tmp/modemswitch-autopkgtest.XXXXXX)
  AUTOPKGTEST_TMP=$tmp "debian/tests/$name" >"$log" 2>"$log.stderr"
  status=$?
  rm -rf "$tmp"
  if [ "$status" -eq 0 ] && { ! [ -s "$log.stderr" ] || [[ " $restrictions " == *" allow-stderr "* ]]; }; then
    return 0
  fi
  echo "debian/tests/$name: exit status $status; its stderr, then the end of its output:" >&2
  sed 's/^/    /' "$log.stderr" >&2
  tail -n 10 "$log" | sed 's/^/    /' >&2
  return 1
}
native_arch=$(dpkg --print-architecture)
for arch in amd64 arm64 armhf; do
  step "the Debian package ($arch)"
  installed "package-$arch" "the $arch package" || continue
  out=$root/build/packages/$arch
  deb=$downloads/modemswitch_${version}_$arch.deb
  changes=$out/modemswitch_${version}_$arch.changes
  count "the $arch package is built" test -f "$changes"
  [ -f "$changes" ] || continue
  count "lintian finds no error or warning in the $arch package" lintian --fail-on error,warning "$changes"
  export MODEMSWITCH_ROOT=$out/root MODEMSWITCH_EMULATOR=
  rm -rf "$MODEMSWITCH_ROOT" && dpkg -x "$deb" "$MODEMSWITCH_ROOT"
  if [ "$arch" != "$native_arch" ]; then
    MODEMSWITCH_EMULATOR=qemu-$(dpkg-architecture -a "$arch" -qDEB_HOST_GNU_CPU 2>/dev/null)-static
  fi
  while IFS='|' read -r names restrictions; do
    for name in $names; do
      count "debian/tests/$name ($arch)" package_test "$name" "$restrictions" "$out/$name.log"
    done
  done < <(package_tests)
done
unset MODEMSWITCH_ROOT MODEMSWITCH_EMULATOR

cases=$(cat "$results"/gtest/*.xml 2>/dev/null | grep -c '<testcase ')
broken=$(cat "$results"/gtest/*.xml 2>/dev/null | grep -c '<failure ')
echo
echo "GoogleTest cases: $cases run, $broken failed"
echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
