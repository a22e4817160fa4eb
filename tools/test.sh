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
results=$root/build/test-results  # ctest's and GoogleTest's reports
wine_detect_arch || fail "no usable Wine"
program=$(program_preset)
windows_tests=$(tests_preset)
linux_presets=(linux-x86_64 linux-armhf linux-aarch64 linux-mipsel)

step "the shipped program (32-bit)"
build_preset win || fail "building the program failed"
exe=$(preset_tree win)/app/modemswitch.exe
echo "program: $exe, $(stat -c %s "$exe") bytes, sha256 $(sha256sum "$exe" | cut -d' ' -f1)"
if [ "$program" != win ]; then
  step "the same program for x86_64 (the one the tests run here)"
  build_preset "$program" || fail "building the 64-bit program failed"
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

cases=$(cat "$results"/gtest/*.xml 2>/dev/null | grep -c '<testcase ')
broken=$(cat "$results"/gtest/*.xml 2>/dev/null | grep -c '<failure ')
echo
echo "GoogleTest cases: $cases run, $broken failed"
echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
