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

# One request line to the simulator's control channel, one reply line back.
control() {
  local reply
  exec 3<>"/dev/tcp/127.0.0.1/$MODEMSIM_CONTROL" || return 1
  printf '%s\n' "$*" >&3
  IFS= read -r reply <&3
  exec 3<&-
  printf '%s\n' "$reply"
}

[ "$(control layout COM2=silent "COM3=$vendor")" = ok ] || { echo "layout refused" >&2; exit 1; }
ports=()
for n in 1 2 3; do ports+=(--port "$MODEMSIM_PREFIX/dosdevices/com$n"); done

# shellcheck disable=SC2086 # the emulator is one word or none
output=$($emulator "$program" modem-only --yes "${ports[@]}")
status=$?
state=$(control state COM3)
echo "$output"
echo "exit $status, modem: $state"
[ "$status" -eq 0 ] && [ "$state" = "$expected" ] && grep -q 'Режим изменен' <<<"$output"
