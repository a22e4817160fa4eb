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

bash tools/setup.sh || fail "installing the packages failed"
# shellcheck source=tools/wine-env.sh
source tools/wine-env.sh
# shellcheck source=tools/builds.sh
source tools/builds.sh
results=$root/build/test-results  # ctest's and GoogleTest's reports, the package
wine_detect_arch || fail "no usable Wine"
windows_program=$(program_preset)
windows_tests=$(tests_preset)
linux_presets=(linux-x86_64 linux-armhf linux-aarch64 linux-mipsel)

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
  echo "modemswitch (${preset#linux-}): $(stat -c %s "$(preset_tree "$preset")/linux/modemswitch-stripped") bytes stripped"
done

rm -rf "$results"
mkdir -p "$results/gtest"
passed=0 failed=0
# Runs one tree's tests and adds ctest's own counts (its JUnit report) to the
# totals: a test counts as passed when ctest ran it and it passed, as failed
# otherwise (failed, not run for want of its fixture, timed out).
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

# The Debian package of the Linux command line: built from a copy of the
# tree, checked by lintian, unpacked into a throwaway root and run from there.
# Each check counts as one test.
check() {
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
# help PROGRAM LOCALE HEADING: --help succeeds in that locale's language.
help_in() { local text; text=$(LC_ALL=$2 "$1" --help) && grep -q "^$3\$" <<<"$text"; }
# The page as man shows it, and not one warning from groff.
page_reads() {
  MANWIDTH=80 man -l "$1" | grep -q 'modemswitch - switch' &&
    [ -z "$(zcat "$1" | groff -man -ww -z 2>&1)" ]
}
# The completion offers "status" for "modemswitch st".
completes() {
  # shellcheck disable=SC2016 # expanded by the inner shell
  bash -c 'source "$1"; COMP_WORDS=(modemswitch st) COMP_CWORD=1; _modemswitch
    [ "${COMPREPLY[*]}" = status ]' _ "$1"
}
step "the Debian package"
if changes=$(bash "$root/tools/package.sh" "$results/package"); then
  check "the package builds" true
  check "lintian finds no error or warning" lintian --fail-on error,warning "$changes"
  unpacked=$results/package/root
  dpkg -x "$results"/package/modemswitch_*_"$(dpkg --print-architecture)".deb "$unpacked"
  program=$unpacked/usr/bin/modemswitch
  version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
  check "modemswitch --version names the package's version" \
    test "$("$program" --version)" = "modemswitch $version"
  check "modemswitch --help in English" help_in "$program" C.UTF-8 "Options:"
  check "modemswitch --help in Russian" help_in "$program" ru_RU.UTF-8 "Параметры:"
  check "man -l shows the page, groff warns of nothing" \
    page_reads "$unpacked/usr/share/man/man1/modemswitch.1.gz"
  check "the bash completion completes a command" \
    completes "$unpacked/usr/share/bash-completion/completions/modemswitch"
else
  check "the package builds" false
fi

cases=$(cat "$results"/gtest/*.xml 2>/dev/null | grep -c '<testcase ')
broken=$(cat "$results"/gtest/*.xml 2>/dev/null | grep -c '<failure ')
echo
echo "GoogleTest cases: $cases run, $broken failed"
echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
