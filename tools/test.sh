#!/usr/bin/env bash
# Every test of the project: installs what is missing, builds the native tools
# and the Windows program, then runs both test sets (the Windows one under Wine,
# against simulated modems) and ends with one summary line.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
jobs=$(nproc)

bash "$root/tools/setup.sh" || exit 1

step() { echo; echo "== $*"; }

step "native build (simulator, fuzzer)"
CC=clang CXX=clang++ cmake -S "$root" -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
ninja -C "$build/native" -j "$jobs" || exit 1

step "Windows build"
cmake -S "$root" -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null || exit 1
ninja -C "$build/win" -j "$jobs" || exit 1

# shellcheck source=tools/wine-env.sh
source "$root/tools/wine-env.sh"
session=$(mktemp -d /tmp/modem-tests.XXXXXX)
trap 'wine_session_stop; rm -rf "$session"' EXIT
step "Wine session in $session"
wine_session_start "$session" "$build/native/tools/modemsim/modemsim" || exit 1

passed=0 failed=0
# Runs one ctest tree and adds its counts to the totals.
run_ctest() {
  local dir=$1 log="$session/ctest-$(basename "$1").log"
  env LC_ALL="$WINE_LOCALE" WINEDEBUG=-all ctest --test-dir "$dir" --output-on-failure \
    --timeout 300 2>&1 | tee "$log"
  local line total bad
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  if [ -z "$line" ]; then failed=$((failed + 1)); return; fi
  bad=$(sed -E 's/.* ([0-9]+) tests? failed out of.*/\1/' <<<"$line")
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + total - bad)) failed=$((failed + bad))
}

# modemswitch for Linux boxes: a static binary per architecture (its stripped
# size printed), each switching a simulated ZTE and Huawei modem under qemu.
linux_tests() {
  local arch tree log
  for arch in x86_64 armhf aarch64 mipsel; do
    tree="$build/linux-$arch" log="$session/build-linux-$arch.log"
    step "Linux $arch build"
    if ! { cmake -S "$root" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/linux-cross.cmake" -DLINUX_ARCH="$arch" \
      -DMODEMSIM="$build/native/tools/modemsim/modemsim" && ninja -C "$tree" -j "$jobs"; } >"$log" 2>&1; then
      tail -30 "$log"
      failed=$((failed + 1))
      continue
    fi
    echo "modemswitch ($arch): $(stat -c %s "$tree/linux/modemswitch-stripped") bytes stripped"
    run_ctest "$tree"
  done
}

# Every GoogleTest program leaves a report in one folder; the summary counts
# its cases. Windows programs reach it through Wine's drive Z:.
step "native tests"
GTEST_OUTPUT="xml:$session/gtest/" run_ctest "$build/native"
linux_tests
step "Windows tests under Wine"
GTEST_OUTPUT="xml:Z:$session/gtest/" run_ctest "$build/win"

cases=$(cat "$session"/gtest/*.xml 2>/dev/null | grep -c '<testcase ')
broken=$(cat "$session"/gtest/*.xml 2>/dev/null | grep -c '<failure ')
echo
echo "GoogleTest cases: $cases run, $broken failed"
echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
