# Shell functions for running the Windows build under Wine with simulated
# modems. Source this file, then:
#   wine_session_start WORKDIR SIMULATOR   # private prefix, display, wineserver, simulator
#   wine_run PROGRAM ARGS...               # a Windows program in that session
#   wine_session_stop
# It exports WINEPREFIX, DISPLAY and MODEMSIM_CONTROL (the simulator's control
# port on 127.0.0.1) for everything started in between.

# Wine's ANSI code page follows the locale: ru_RU makes it Windows-1251.
WINE_LOCALE=ru_RU.UTF-8

wine_run() {
  env LC_ALL="$WINE_LOCALE" WINEDEBUG=-all "$@"
}

_wine_session_log() { echo "wine-env: $*" >&2; }

# Waits up to $2 tenths of a second for path $1 to exist.
_wait_for_path() {
  local path=$1 tenths=$2
  while [ ! -e "$path" ] && [ "$tenths" -gt 0 ]; do sleep 0.1; tenths=$((tenths - 1)); done
  [ -e "$path" ]
}

_start_display() {
  if [ -n "${DISPLAY:-}" ] && [ -z "${WINE_SESSION_HEADLESS:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0  # a usable display is already there
  fi
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$WINE_SESSION_DIR/xvfb.log" 2>&1 &
  WINE_SESSION_XVFB=$!
  export DISPLAY=":$n"
  _wait_for_path "/tmp/.X11-unix/X$n" 100 || { _wine_session_log "Xvfb did not start"; return 1; }
}

# A virtual desktop gives every window a window manager of sorts: without one
# each hide of a top-level window stalls about two seconds under Wine.
_configure_prefix() {
  cat >"$WINE_SESSION_DIR/desktop.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1000x700"
REG
  wine_run wine regedit /S "$WINE_SESSION_DIR/desktop.reg" >>"$WINE_SESSION_DIR/wine.log" 2>&1
}

_start_wine() {
  export WINEPREFIX="$WINE_SESSION_DIR/prefix" WINEARCH=win32
  # One persistent server for the whole session: it keeps the COM links the
  # simulator writes, and Wine programs started later do not inherit our pipes.
  # Its stderr goes to a file: a vanishing pty makes it very talkative.
  wine_run wineserver -p >>"$WINE_SESSION_DIR/wineserver.log" 2>&1
  wine_run wineboot -i >>"$WINE_SESSION_DIR/wine.log" 2>&1
  _configure_prefix
  # The desktop takes its settings only when it starts: restart the server
  # (before the simulator writes its COM links, which a new server rewrites).
  wine_run wineserver -k >>"$WINE_SESSION_DIR/wine.log" 2>&1
  wine_run wineserver -p >>"$WINE_SESSION_DIR/wineserver.log" 2>&1
  wine_run wineboot >>"$WINE_SESSION_DIR/wine.log" 2>&1
}

_start_simulator() {
  local simulator=$1 out="$WINE_SESSION_DIR/modemsim.out"
  "$simulator" --prefix "$WINEPREFIX" --control 0 --log "$WINE_SESSION_DIR/modemsim.log" \
    >"$out" 2>"$WINE_SESSION_DIR/modemsim.err" &
  WINE_SESSION_SIM=$!
  local tenths=100
  until grep -qx ready "$out" 2>/dev/null || [ "$tenths" -eq 0 ]; do sleep 0.1; tenths=$((tenths - 1)); done
  grep -qx ready "$out" || { _wine_session_log "simulator did not start"; cat "$WINE_SESSION_DIR/modemsim.err" >&2; return 1; }
  export MODEMSIM_CONTROL
  MODEMSIM_CONTROL=$(sed -n 's/^control //p' "$out")
}

wine_session_start() {
  WINE_SESSION_DIR=$1
  mkdir -p "$WINE_SESSION_DIR"
  _start_display && _start_wine && _start_simulator "$2"
}

wine_session_stop() {
  [ -n "${WINE_SESSION_SIM:-}" ] && kill "$WINE_SESSION_SIM" 2>/dev/null && wait "$WINE_SESSION_SIM" 2>/dev/null
  [ -n "${WINEPREFIX:-}" ] && wine_run wineserver -k >/dev/null 2>&1
  [ -n "${WINE_SESSION_XVFB:-}" ] && kill "$WINE_SESSION_XVFB" 2>/dev/null && wait "$WINE_SESSION_XVFB" 2>/dev/null
  WINE_SESSION_SIM= WINE_SESSION_XVFB=
  return 0
}
