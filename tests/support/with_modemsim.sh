#!/usr/bin/env bash
# Runs one command beside a private modem simulator, for native tests:
#   with_modemsim.sh MODEMSIM COMMAND [ARG...]
# The command sees MODEMSIM_CONTROL (the control port), MODEMSIM_PREFIX (its
# ports are $MODEMSIM_PREFIX/dosdevices/com1..com31) and MODEMSWITCH_LOCK_DIR
# (a private UUCP lock directory). Exits with the command's status.
set -uo pipefail

simulator=$1
shift
dir=$(mktemp -d /tmp/modemsim-native.XXXXXX)
"$simulator" --prefix "$dir" --control 0 --log "$dir/modemsim.log" >"$dir/out" 2>"$dir/err" &
sim=$!
# shellcheck disable=SC2317 # called by the EXIT trap
stop() {
  kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null
  rm -rf "$dir"
}
trap stop EXIT

for _ in $(seq 100); do
  grep -qx ready "$dir/out" 2>/dev/null && break
  sleep 0.1
done
if ! grep -qx ready "$dir/out"; then
  echo "with_modemsim: the simulator did not start" >&2
  cat "$dir/err" >&2
  exit 1
fi
mkdir -p "$dir/lock"
MODEMSIM_CONTROL=$(sed -n 's/^control //p' "$dir/out")
export MODEMSIM_CONTROL MODEMSIM_PREFIX=$dir MODEMSWITCH_LOCK_DIR=$dir/lock
"$@"
status=$?
exit "$status"
