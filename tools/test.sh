#!/usr/bin/env bash
# Every test of the project: installs what is missing, builds the native tools,
# the Windows program and the Linux command line, then runs every test set
# (the Windows one under Wine, the Linux binaries of other processors under
# qemu, all against simulated modems) and ends with one summary line.
#
# On a host that cannot run 32-bit programs the Windows tests run on a 64-bit
# build of the same sources (see tools/wine-env.sh; MODEMSWITCH_WINE_ARCH=win64
# forces that path). The 32-bit program is built and checked on every host.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}

fail() { echo "test: $*" >&2; exit 1; }
step() { echo; echo "== $*"; }

bash "$root/tools/setup.sh" || fail "installing the packages failed"
# shellcheck source=tools/wine-env.sh
source "$root/tools/wine-env.sh"
# shellcheck source=tools/builds.sh
source "$root/tools/builds.sh"
wine_detect_arch || fail "no usable Wine"

step "the shipped program (32-bit)"
build_program i686 || fail "building the program failed"
exe=$(program_exe i686)
echo "program: $exe, $(stat -c %s "$exe") bytes, sha256 $(sha256sum "$exe" | cut -d' ' -f1)"
if [ "$WINE_CPU" != i686 ]; then
  step "the same program for x86_64 (the one the tests run here)"
  build_program "$WINE_CPU" || fail "building the 64-bit program failed"
fi

step "native build (simulator, fuzzer, checks of the program's file)"
build_native all || fail "the native build failed"

step "Windows tests build ($WINE_CPU)"
build_windows_tests "$WINE_CPU" || fail "building the Windows tests failed"

# modemswitch for Linux boxes: a static binary per architecture, each tested
# under qemu against a simulated ZTE and Huawei modem.
linux_arches=(x86_64 armhf aarch64 mipsel)
for arch in "${linux_arches[@]}"; do
  step "modemswitch for Linux ($arch)"
  build_linux "$arch" || fail "building modemswitch for $arch failed"
  echo "modemswitch ($arch): $(stat -c %s "$(linux_tree "$arch")/linux/modemswitch-stripped") bytes stripped"
done

session=$(mktemp -d /tmp/modem-tests.XXXXXX)
trap 'wine_session_stop; rm -rf "$session"' EXIT
step "Wine session ($WINE_ARCH) in $session"
wine_session_start "$session" "$build/native/tools/modemsim/modemsim" || fail "the Wine session did not start"

passed=0 failed=0
# Runs one ctest tree and adds its counts to the totals.
run_ctest() {
  local dir=$1 log
  log="$session/ctest-$(basename "$1").log"
  env LC_ALL="$WINE_LOCALE" WINEDEBUG=-all ctest --test-dir "$dir" --output-on-failure \
    --timeout 300 2>&1 | tee "$log"
  local line total bad
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  if [ -z "$line" ]; then
    echo "test: ctest in $dir printed no result" >&2
    failed=$((failed + 1))
    return
  fi
  bad=$(sed -E 's/.* ([0-9]+) tests? failed out of.*/\1/' <<<"$line")
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + total - bad)) failed=$((failed + bad))
}

# Every GoogleTest program leaves a report in one folder; the summary counts
# its cases. Windows programs reach it through Wine's drive Z:.
step "native tests"
GTEST_OUTPUT="xml:$session/gtest/" run_ctest "$build/native"
for arch in "${linux_arches[@]}"; do
  step "modemswitch for Linux ($arch) against the simulator"
  run_ctest "$(linux_tree "$arch")"
done
step "Windows tests under Wine ($WINE_ARCH)"
GTEST_OUTPUT="xml:Z:$session/gtest/" run_ctest "$(tests_tree "$WINE_CPU")"

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
if changes=$(bash "$root/tools/package.sh" "$session/package"); then
  check "the package builds" true
  check "lintian finds no error or warning" lintian --fail-on error,warning "$changes"
  unpacked=$session/package/root
  dpkg -x "$session"/package/modemswitch_*_"$(dpkg --print-architecture)".deb "$unpacked"
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

cases=$(cat "$session"/gtest/*.xml 2>/dev/null | grep -c '<testcase ')
broken=$(cat "$session"/gtest/*.xml 2>/dev/null | grep -c '<failure ')
echo
echo "GoogleTest cases: $cases run, $broken failed"
echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
