#!/usr/bin/env bash
# Runs a test that needs what another tree builds (cmake/test_inputs.cmake),
# as ctest runs it. When an input is missing the test is skipped (exit 77,
# automake's skip code and the test's SKIP_RETURN_CODE) and says which tree
# to build; ctest's post-test step repeats the reasons after its summary.
#   if_built.sh DIR run TEST [FILE PRESET]... -- COMMAND...
#       runs COMMAND when every FILE exists, else writes why to DIR/TEST
#       (PRESET: the preset that builds FILE, "-" when none does)
#   if_built.sh DIR clear     before the tests: the reasons of an earlier run go
#   if_built.sh DIR report    after them: one line per test skipped
set -uo pipefail

dir=$1 mode=$2
shift 2
case $mode in
  clear) rm -rf "$dir" ;;
  report)
    if [ -d "$dir" ]; then
      echo "Skipped for want of another tree's output:"
      cat "$dir"/*
    fi
    ;;
  run)
    test=$1 why=()
    shift
    while [ $# -ge 2 ] && [ "$1" != -- ]; do
      if ! [ -e "$1" ]; then
        if [ "$2" = - ]; then why+=("$1 is missing"); else
          why+=("$1 is not built (cmake --preset $2 && cmake --build --preset $2)")
        fi
      fi
      shift 2
    done
    [ "${1:-}" = -- ] || { echo "if_built.sh: FILE PRESET pairs, then -- and the command" >&2; exit 2; }
    shift
    [ ${#why[@]} -eq 0 ] && exec "$@"
    mkdir -p "$dir"
    for reason in "${why[@]}"; do echo "  $test: $reason"; done | tee "$dir/$test"
    exit 77
    ;;
  *) echo "if_built.sh: no mode '$mode' (run, clear or report)" >&2; exit 2 ;;
esac
