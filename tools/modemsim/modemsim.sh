# shellcheck shell=bash
# Starting the modem simulator from a script. Source this file, then:
#   modemsim_start SIMULATOR PREFIX DIR [COMn=CONFIG...]
# serves PREFIX/dosdevices/com1..com31 (with that layout), logging in DIR. It
# sets MODEMSIM_PID and exports MODEMSIM_CONTROL (the control port on
# 127.0.0.1); on failure it says why, with the simulator's last words, and
# returns 1.
modemsim_start() {
  local simulator=$1 prefix=$2 dir=$3
  shift 3
  "$simulator" --prefix "$prefix" --control 0 --log "$dir/modemsim.log" "$@" \
    >"$dir/modemsim.out" 2>"$dir/modemsim.err" &
  MODEMSIM_PID=$!
  # It is ready in a tenth of a second; on a busy shared machine once took ten.
  local tenths=300
  until grep -qx ready "$dir/modemsim.out" 2>/dev/null || [ "$tenths" -eq 0 ] ||
    ! kill -0 "$MODEMSIM_PID" 2>/dev/null; do
    sleep 0.1
    tenths=$((tenths - 1))
  done
  if ! grep -qx ready "$dir/modemsim.out"; then
    echo "modemsim: the simulator ($simulator) did not start; last lines of $dir/modemsim.err:" >&2
    tail -n 15 "$dir/modemsim.err" | sed 's/^/    /' >&2
    return 1
  fi
  MODEMSIM_CONTROL=$(sed -n 's/^control //p' "$dir/modemsim.out")
  export MODEMSIM_CONTROL
}
