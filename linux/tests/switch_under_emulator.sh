#!/usr/bin/env bash
# One modem-only switch of a simulated modem by a (cross-built) modemswitch:
#   switch_under_emulator.sh zte|huawei EMULATOR MODEMSWITCH
# EMULATOR may be empty (a native binary). Runs beside with_modemsim.sh; the
# modem sits behind a silent port, so the scan passes over one port first.
set -uo pipefail

vendor=$1 emulator=$2 program=$3
case $vendor in
  zte) expected="ok zcdrun=E" ;;
  huawei) expected="ok u2diag=0" ;;
  *) echo "unknown vendor $vendor" >&2; exit 2 ;;
esac

# The simulator's own client: one request, one reply line.
control() { "$MODEMSIM" --ask "$MODEMSIM_CONTROL" "$@"; }

control layout COM2=silent "COM3=$vendor" >/dev/null || { echo "layout refused" >&2; exit 1; }
ports=()
for n in 1 2 3; do ports+=(--port "$MODEMSIM_PREFIX/dosdevices/com$n"); done

# shellcheck disable=SC2086 # the emulator is one word or none
output=$(LC_ALL=ru_RU.UTF-8 $emulator "$program" modem-only --yes "${ports[@]}")
status=$?
state=$(control state COM3)
echo "$output"
echo "exit $status, modem: $state"
[ "$status" -eq 0 ] && [ "$state" = "$expected" ] && grep -q 'Режим изменен' <<<"$output"
