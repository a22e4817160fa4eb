# shellcheck shell=bash
# Shell functions for running the Windows build under Wine with simulated
# modems. Source this file, then:
#   wine_detect_arch                       # which Wine this host can run (one line)
#   wine_session_start WORKDIR SIMULATOR   # private prefix, display, wineserver, simulator
#   wine_run PROGRAM ARGS...               # a Windows program in that session
#   wine_session_stop
#   wine_session_save FILE / wine_session_load FILE
#                                          # the session's state, for other processes
# wine_detect_arch (or wine_use_arch win32|win64) sets WINE_ARCH (win32 or
# win64), WINE_LOADER (the Wine loader to run programs with) and WINE_CPU (the
# processor the Windows tests are built for: i686 or x86_64). The session
# exports WINEPREFIX, DISPLAY and MODEMSIM_CONTROL (the simulator's control
# port on 127.0.0.1) for everything started in between.
#
# Hosts whose kernel refuses 32-bit Linux programs cannot start Wine's 32-bit
# loader, and so no 32-bit Windows program: there the Windows tests and the
# demo run a 64-bit build of the same sources under Wine's 64-bit loader.
# MODEMSWITCH_WINE_ARCH=win64 takes that path on any host; =win32 insists on
# the 32-bit one.

# shellcheck source=tools/modemsim/modemsim.sh
source "$(dirname "${BASH_SOURCE[0]}")/modemsim/modemsim.sh"

# Wine's ANSI code page follows the locale: ru_RU makes it Windows-1251.
WINE_LOCALE=ru_RU.UTF-8
WINE32_LOADER=/usr/lib/wine/wine
WINE64_LOADER=/usr/lib/wine/wine64

# What every Wine program of ours runs with.
WINE_RUN_ENV=(LC_ALL="$WINE_LOCALE" WINEDEBUG=-all)
wine_run() {
  env "${WINE_RUN_ENV[@]}" "$@"
}

_wine_session_log() { echo "wine-env: $*" >&2; }

# Says what failed, with the last lines of the log that tells why, and fails.
_wine_step_failed() {
  local what=$1 log=$2
  _wine_session_log "$what failed; last lines of $log:"
  tail -n 15 "$log" 2>/dev/null | sed 's/^/    /' >&2
  return 1
}

# True when the 32-bit loader really starts here: asked for its version, it
# answers with one. On a host without 32-bit support the kernel refuses it.
_wine32_runs() {
  local version
  version=$("$WINE32_LOADER" --version 2>/dev/null) && [[ $version == wine-* ]]
}

wine_detect_arch() {
  case ${MODEMSWITCH_WINE_ARCH:-} in
    win32)
      echo "Wine: 32-bit, as MODEMSWITCH_WINE_ARCH=win32 asks"
      wine_use_arch win32
      ;;
    win64)
      echo "Wine: 64-bit, as MODEMSWITCH_WINE_ARCH=win64 asks: the Windows tests and the demo run the 64-bit build of the same sources"
      wine_use_arch win64
      ;;
    '')
      if _wine32_runs; then
        echo "Wine: this host runs 32-bit programs: the Windows tests and the demo run the 32-bit program"
        wine_use_arch win32
      else
        echo "Wine: this host cannot run 32-bit programs: the Windows tests and the demo run the 64-bit build of the same sources"
        wine_use_arch win64
      fi
      ;;
    *)
      _wine_session_log "MODEMSWITCH_WINE_ARCH must be win32, win64 or unset, not '$MODEMSWITCH_WINE_ARCH'"
      return 1
      ;;
  esac
}

# wine_use_arch win32|win64: the Wine to run programs of that processor with.
wine_use_arch() {
  # shellcheck disable=SC2034  # read by the scripts that source this file
  case $1 in
    win32)
      _wine32_runs || { _wine_session_log "this host cannot run the 32-bit Wine loader"; return 1; }
      WINE_ARCH=win32 WINE_LOADER=$WINE32_LOADER WINE_CPU=i686
      ;;
    win64) WINE_ARCH=win64 WINE_LOADER=$WINE64_LOADER WINE_CPU=x86_64 ;;
    *) _wine_session_log "no Wine architecture '$1' (win32 or win64)"; return 1 ;;
  esac
}

# Xvfb picks a free display itself and writes its number to a descriptor: a
# number chosen by probing lock files may belong to a peer we cannot see.
_start_display() {
  if [ -n "${DISPLAY:-}" ] && [ -z "${WINE_SESSION_HEADLESS:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0  # a usable display is already there
  fi
  local log=$WINE_SESSION_DIR/xvfb.log number_file=$WINE_SESSION_DIR/xvfb.display
  : >"$number_file"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" >"$log" 2>&1 &
  WINE_SESSION_XVFB=$!
  local tenths=100
  until [ -s "$number_file" ] || [ "$tenths" -eq 0 ] || ! kill -0 "$WINE_SESSION_XVFB" 2>/dev/null; do
    sleep 0.1
    tenths=$((tenths - 1))
  done
  [ -s "$number_file" ] || _wine_step_failed "starting the virtual display (Xvfb)" "$log" || return 1
  DISPLAY=":$(head -n 1 "$number_file")"
  export DISPLAY
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
  wine_run "$WINE_LOADER" regedit /S "$WINE_SESSION_DIR/desktop.reg" >>"$WINE_SESSION_DIR/wine.log" 2>&1
}

_start_server() {
  wine_run wineserver -p >>"$WINE_SESSION_DIR/wineserver.log" 2>&1 ||
    _wine_step_failed "starting wineserver" "$WINE_SESSION_DIR/wineserver.log"
}

_start_wine() {
  # The loader is named for every Wine process, wineboot and regedit included:
  # the generic launchers would pick the 32-bit one whenever it is installed.
  export WINEPREFIX="$WINE_SESSION_DIR/prefix" WINEARCH=$WINE_ARCH WINELOADER=$WINE_LOADER
  local log=$WINE_SESSION_DIR/wine.log
  mkdir -p "$WINEPREFIX"  # the server starts only in an existing prefix
  # One persistent server for the whole session: it keeps the COM links the
  # simulator writes, and Wine programs started later do not inherit our pipes.
  # Its stderr goes to a file: a vanishing pty makes it very talkative.
  _start_server || return 1
  wine_run "$WINE_LOADER" wineboot -i >>"$log" 2>&1 || _wine_step_failed "creating the $WINE_ARCH prefix (wineboot -i)" "$log" || return 1
  _configure_prefix || _wine_step_failed "setting the virtual desktop (regedit)" "$log" || return 1
  # The desktop takes its settings only when it starts: restart the server
  # (before the simulator writes its COM links, which a new server rewrites).
  wine_run wineserver -k >>"$log" 2>&1
  _start_server || return 1
  wine_run "$WINE_LOADER" wineboot >>"$log" 2>&1 || _wine_step_failed "restarting the prefix (wineboot)" "$log"
}

_start_simulator() {
  modemsim_start "$1" "$WINEPREFIX" "$WINE_SESSION_DIR"
  WINE_SESSION_SIM=$MODEMSIM_PID
  [ -n "${MODEMSIM_CONTROL:-}" ]
}

# Needs wine_detect_arch first.
wine_session_start() {
  WINE_SESSION_DIR=$1
  mkdir -p "$WINE_SESSION_DIR" || { _wine_session_log "cannot make $WINE_SESSION_DIR"; return 1; }
  [ -n "${WINE_LOADER:-}" ] || { _wine_session_log "wine_detect_arch was not run"; return 1; }
  _start_display && _start_wine && _start_simulator "$2"
}

# True while process $1 runs. One that ended but is not yet reaped (a zombie)
# counts as gone: a process another shell started is reaped by init, in its
# own time.
_wine_process_runs() {
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null) && [[ $state != Z* ]]
}

# Returns once the processes are gone, also those another shell started
# (wait knows only our own children); gives up after five seconds.
_wine_session_await() {
  local pid tenths=50
  for pid in "$@"; do
    wait "$pid" 2>/dev/null
    while _wine_process_runs "$pid" && [ "$tenths" -gt 0 ]; do
      sleep 0.1
      tenths=$((tenths - 1))
    done
  done
}

# The simulator and the display end while the server stops the Wine
# processes: each takes about a second.
wine_session_stop() {
  local pids=()
  [ -n "${WINE_SESSION_SIM:-}" ] && kill "$WINE_SESSION_SIM" 2>/dev/null && pids+=("$WINE_SESSION_SIM")
  [ -n "${WINEPREFIX:-}" ] && wine_run wineserver -k >/dev/null 2>&1
  [ -n "${WINE_SESSION_XVFB:-}" ] && kill "$WINE_SESSION_XVFB" 2>/dev/null && pids+=("$WINE_SESSION_XVFB")
  _wine_session_await "${pids[@]}"
  WINE_SESSION_SIM='' WINE_SESSION_XVFB=''
  return 0
}

# The session as shell assignments, for a process that runs programs in it or
# stops it later. Only the variables below are read back.
_wine_session_vars=(WINE_ARCH WINE_LOADER WINE_CPU WINE_SESSION_DIR WINE_SESSION_SIM WINE_SESSION_XVFB)
_wine_session_exports=(WINEPREFIX WINEARCH WINELOADER DISPLAY MODEMSIM_CONTROL)

wine_session_save() {
  local file=$1 name
  {
    for name in "${_wine_session_vars[@]}"; do printf '%s=%q\n' "$name" "${!name:-}"; done
    for name in "${_wine_session_exports[@]}"; do printf 'export %s=%q\n' "$name" "${!name:-}"; done
  } >"$file.new" && mv "$file.new" "$file"
}

# Reads a file wine_session_save wrote; fails when there is none.
wine_session_load() {
  [ -r "$1" ] || return 1
  # shellcheck source=/dev/null
  source "$1"
}
