#!/usr/bin/env bash
# Runs a test that needs what another tree builds (cmake/test_inputs.cmake),
# as ctest runs it. When an input is missing the test is skipped (exit 77,
# automake's skip code and the test's SKIP_RETURN_CODE) and says which tree
# to build; ctest's post-test step repeats the reasons after its summary.
#   if_built.sh DIR run TEST [FILE PRESET]... -- COMMAND...
#       runs COMMAND when every FILE exists, else writes why to DIR/TEST
#       (PRESET: the preset that builds FILE, "-" when none does)
#   if_built.sh DIR clear     before the tests: the reasons of an earlier run go
#   if_built.sh DIR report    after them: each missing input and the tests it held back
set -uo pipefail

dir=$1 mode=$2
shift 2
case $mode in
  clear) rm -rf "$dir" ;;
  report)
    # One line per missing input, with the tests it held back.
    if [ -d "$dir" ]; then
      echo "Skipped for want of another tree's output:"
      sort "$dir"/* | awk -F '\t' '$1 != last { if (NR > 1) print line; line = "  " $1 ":"; last = $1 }
        { line = line " " $2 } END { print line }'
    fi
    ;;
  run)
    test=$1 why=()
    shift
    source_dir=${0%/cmake/if_built.sh}
    while [ $# -ge 2 ] && [ "$1" != -- ]; do
      if ! [ -e "$1" ]; then
        shown=${1#"$source_dir/"}
        if [ "$2" = - ]; then why+=("$shown is missing"); else
          why+=("$shown is not built (cmake --preset $2 && cmake --build --preset $2)")
        fi
      fi
      shift 2
    done
    [ "${1:-}" = -- ] || { echo "if_built.sh: FILE PRESET pairs, then -- and the command" >&2; exit 2; }
    shift
    [ ${#why[@]} -eq 0 ] && exec "$@"
    mkdir -p "$dir"
    for reason in "${why[@]}"; do echo "skipped: $reason"; done
    for reason in "${why[@]}"; do printf '%s\t%s\n' "$reason" "$test"; done >"$dir/$test"
    exit 77
    ;;
  *) echo "if_built.sh: no mode '$mode' (run, clear or report)" >&2; exit 2 ;;
esac
