#!/usr/bin/env bash
# Shows the program at work: installs what is missing, builds it, and runs it
# under Wine against a simulated ZTE modem on COM4.
#
#   bash tools/demo.sh                           simulated ZTE modem
#   bash tools/demo.sh --huawei                  simulated Huawei modem
#   bash tools/demo.sh --device /dev/ttyUSB2 --com 3
#                                                a real modem's port as COM3
#   bash tools/demo.sh --headless                no window even with a display
#
# On a host that cannot run 32-bit programs it shows the 64-bit build of the
# same sources (MODEMSWITCH_WINE_ARCH=win64 forces that, see tools/wine-env.sh).
# With a usable display the window opens there and the script waits until it
# is closed. Without one (or with --headless) it runs on its own virtual
# screen, switches to "Только модем" once, and leaves out/demo-window.png and
# out/demo-log.txt (UTF-8).
set -euo pipefail
trap 'echo "demo: failed: $BASH_COMMAND" >&2' ERR

root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/out
sim_com=4

usage() {
  sed -n '2,17p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

vendor=zte device='' device_com='' headless=''
while [ $# -gt 0 ]; do
  case $1 in
    --huawei) vendor=huawei ;;
    --device) [ $# -ge 2 ] || usage; device=$2; shift ;;
    --com) [ $# -ge 2 ] || usage; device_com=$2; shift ;;
    --headless) headless=1 ;;
    *) usage ;;
  esac
  shift
done
if [ -n "$device" ] || [ -n "$device_com" ]; then
  if [ -z "$device" ] || ! [[ $device_com =~ ^([1-9]|[12][0-9]|3[01])$ ]]; then
    echo "demo: --device needs --com N with N in 1..31" >&2
    exit 2
  fi
  if ! [ -r "$device" ] || ! [ -w "$device" ]; then
    echo "demo: cannot read and write $device" >&2
    exit 1
  fi
fi

say() { echo "demo: $*"; }

build_all() {
  say "building the modem simulator (native)"
  build_preset native modemsim
  say "building the program for Windows ($WINE_CPU) and its driver"
  build_preset "$(program_preset)"
  build_preset "$(tests_preset)" modemswitch-driver
  program=$(preset_tree "$(program_preset)")/app/modemswitch.exe
}

# A usable display of the user's own, unless --headless was given.
have_display() {
  [ -z "$headless" ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1
}

driver() {
  wine_run "$WINE_LOADER" "$(preset_tree "$(tests_preset)")/tools/driver/modemswitch-driver.exe" "$@"
}

# Puts the modem on its COM port: a simulated one through the simulator, or
# the real device linked in place of the simulator's port.
attach_modem() {
  if [ -n "$device" ]; then
    driver --layout "" >/dev/null  # every simulated port absent
    ln -sfn "$device" "$WINEPREFIX/dosdevices/com$device_com"
    say "COM$device_com is $device"
  else
    driver --layout "COM$sim_com=$vendor" >/dev/null
    say "COM$sim_com has a simulated $vendor modem"
  fi
}

report_modem_state() {
  [ -n "$device" ] && return 0
  # Into a file, not a pipe: Wine's helper processes may keep a pipe open.
  driver --state "$sim_com" >"$session/modem-state.txt"
  say "the simulated modem's mode is now: $(cat "$session/modem-state.txt")"
}

run_with_window() {
  say "opening the program on $DISPLAY; close its window to finish"
  wine_run "$WINE_LOADER" "$program" >>"$session/program.log" 2>&1 || true
}

run_headless() {
  say "no display: switching to \"Только модем\" once on a virtual screen"
  mkdir -p "$out"
  local picture=$session/demo-window.bmp
  # Into a file, not a pipe: Wine's helper processes may keep a pipe open.
  local status=0
  driver --demo --exe "$program" --screenshot "$picture" \
    --log "$out/demo-log.txt" >"$session/driver.log" 2>&1 || status=$?
  cat "$session/driver.log"
  [ "$status" -eq 0 ] || { say "the demo run failed"; return 1; }
  convert "$picture" "$out/demo-window.png"
  say "picture of the window: $out/demo-window.png"
  say "log of the run (UTF-8): $out/demo-log.txt"
}

# 2: some other architecture's packages are missing (a mirror mid-sync, said
# in one line); the demo runs without them.
bash "$root/tools/setup.sh" || [ $? -eq 2 ]
# shellcheck source=tools/wine-env.sh
source "$root/tools/wine-env.sh"
# shellcheck source=tools/builds.sh
source "$root/tools/builds.sh"
wine_detect_arch
build_all
session=$(mktemp -d /tmp/modem-demo.XXXXXX)
trap 'wine_session_stop; rm -rf "$session"' EXIT
interactive=
have_display && interactive=1
[ -n "$interactive" ] || export WINE_SESSION_HEADLESS=1
say "starting Wine with the modem simulator"
wine_session_start "$session" "$(preset_tree native)/tools/modemsim/modemsim"
attach_modem
if [ -n "$interactive" ]; then run_with_window; else run_headless; fi
report_modem_state
