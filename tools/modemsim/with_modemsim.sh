#!/usr/bin/env bash
# Runs one command beside a private modem simulator, for native tests:
#   with_modemsim.sh MODEMSIM COMMAND [ARG...]
# The command sees MODEMSIM (the simulator, whose --ask talks to the running
# one), MODEMSIM_CONTROL (the control port), MODEMSIM_PREFIX (its ports are
# $MODEMSIM_PREFIX/dosdevices/com1..com31) and MODEMSWITCH_LOCK_DIR (a private
# UUCP lock directory). Exits with the command's status.
set -uo pipefail

# shellcheck source=tools/modemsim/modemsim.sh
source "$(dirname "$0")/modemsim.sh"

simulator=$1
shift
dir=$(mktemp -d /tmp/modemsim-native.XXXXXX)
# shellcheck disable=SC2317 # called by the EXIT trap
stop() {
  [ -n "${MODEMSIM_PID:-}" ] && kill "$MODEMSIM_PID" 2>/dev/null && wait "$MODEMSIM_PID" 2>/dev/null
  rm -rf "$dir"
}
trap stop EXIT

modemsim_start "$simulator" "$dir" "$dir" || exit 1
mkdir -p "$dir/lock"
export MODEMSIM=$simulator MODEMSIM_PREFIX=$dir MODEMSWITCH_LOCK_DIR=$dir/lock
"$@"
