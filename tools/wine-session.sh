#!/usr/bin/env bash
# The Wine session of a Windows test tree, as ctest's fixture uses it
# (cmake/wine_session.cmake):
#   wine-session.sh start DIR win32|win64 SIMULATOR
#       starts the session (tools/wine-env.sh) with its prefix and logs in DIR
#       and leaves it running; its state goes to DIR/session.env
#   wine-session.sh run DIR PROGRAM [ARG...]
#       runs a Windows program in that session, under its Wine loader
#   wine-session.sh stop DIR
#       ends it and removes its prefix; the logs stay
set -uo pipefail

# shellcheck source=tools/wine-env.sh
source "$(dirname "$0")/wine-env.sh"

fail() { echo "wine-session: $*" >&2; exit 1; }

start() {
  local dir arch=$2 simulator=$3
  dir=$(mkdir -p "$1" && cd "$1" && pwd) || fail "cannot make $1"  # Wine wants absolute paths
  [ -x "$simulator" ] ||
    fail "no simulator at '$simulator': build the native tree first (cmake --build --preset native)"
  stop "$dir"  # one an interrupted run left behind
  rm -rf "$dir/prefix"  # or that did not start: every session starts afresh
  wine_use_arch "$arch" || exit 1
  # Nothing started here may keep ctest's pipes open: ctest would wait for it.
  if ! wine_session_start "$dir" "$simulator" </dev/null; then
    wine_session_stop
    exit 1
  fi
  wine_session_save "$dir/session.env" || { wine_session_stop; fail "cannot write $dir/session.env"; }
  echo "Wine session ($WINE_ARCH) in $dir on display $DISPLAY, simulator on port $MODEMSIM_CONTROL"
}

run() {
  local dir=$1
  shift
  wine_session_load "$dir/session.env" ||
    fail "no Wine session in $dir: its tests start one (wine_session_start)"
  exec env "${WINE_RUN_ENV[@]}" "$WINE_LOADER" "$@"
}

stop() {
  local dir=$1
  wine_session_load "$dir/session.env" || return 0
  wine_session_stop
  rm -rf "$WINEPREFIX" "$dir/session.env"
}

[ $# -ge 2 ] || fail "usage: wine-session.sh start DIR ARCH SIMULATOR | run DIR PROGRAM... | stop DIR"
command=$1
shift
case $command in
  start) [ $# -eq 3 ] || fail "start needs DIR, win32|win64 and the simulator"; start "$@" ;;
  run) [ $# -ge 2 ] || fail "run needs DIR and a program"; run "$@" ;;
  stop) stop "$1" ;;
  *) fail "no command '$command' (start, run or stop)" ;;
esac
