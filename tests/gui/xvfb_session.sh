# A private desktop for one test run, sourced by the scripts here: a temporary
# home, an Xvfb display with a window manager (openbox), and on demand a
# notification area (trayer) and a PulseAudio server with a null sink. Every
# process started here is ended, and the temporary folder removed, when the
# script exits.
#
# The scripts exit 0 on success and 1 on a failure. A missing tool is a
# failure too, with its name printed: scripts/deps.sh installs them all.

set -u

QM_TMP=$(mktemp -d "${TMPDIR:-/tmp}/qm-gui.XXXXXX")
QM_PIDS=()
QM_APP_PID=
QM_APP_LOG=$QM_TMP/app.log

# Running, and not merely a child that has ended and waits to be reaped.
qm_alive() {
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null) || return 1
  [[ $state != Z* ]]
}

qm_cleanup() {
  local i
  for ((i = ${#QM_PIDS[@]} - 1; i >= 0; i--)); do
    kill "${QM_PIDS[i]}" 2>/dev/null
  done
  for pid in "${QM_PIDS[@]}"; do
    # A process that ignores the polite end gets the hard one after 5 s.
    for _ in $(seq 50); do qm_alive "$pid" || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  rm -rf "$QM_TMP"
}
trap qm_cleanup EXIT
trap 'exit 1' INT TERM

qm_log() { echo "[$(date +%H:%M:%S)] $*"; }

qm_fail() {
  echo "FAIL: $*" >&2
  if [ -s "$QM_APP_LOG" ]; then
    echo "--- program output ---" >&2
    tail -n 40 "$QM_APP_LOG" >&2
  fi
  exit 1
}

# qm_wait SECONDS COMMAND...: runs COMMAND until it succeeds, at most SECONDS.
qm_wait() {
  local limit=$1
  shift
  local end=$((SECONDS + limit))
  until "$@"; do
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.2
  done
}

qm_need() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 || qm_fail "$tool is not installed (scripts/deps.sh installs it)"
  done
}

# A clean home: the program keeps its store in $XDG_DATA_HOME/quillmere.
export HOME=$QM_TMP/home
export XDG_DATA_HOME=$HOME/.local/share
export XDG_CONFIG_HOME=$HOME/.config
export XDG_CACHE_HOME=$HOME/.cache
export XDG_RUNTIME_DIR=$QM_TMP/runtime
mkdir -p "$XDG_DATA_HOME/quillmere" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# No session bus: Qt then uses the XEmbed tray protocol, which trayer speaks.
export DBUS_SESSION_BUS_ADDRESS=unix:path=$QM_TMP/no-session-bus
export QT_QPA_PLATFORM=xcb
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
unset WAYLAND_DISPLAY

# qm_start_xvfb [WIDTHxHEIGHT [DPI]]: the display, 1280x1024 at 96 DPI unless
# told, and openbox managing its windows. The density reaches programs as a
# desktop sets it, through the Xft.dpi resource.
qm_start_xvfb() {
  local size=${1:-1280x1024} dpi=${2:-96}
  qm_need Xvfb xdotool xprop xwininfo openbox
  local fdfile=$QM_TMP/display
  : >"$fdfile"
  # Xvfb picks a free display itself and writes its number to fd 3.
  Xvfb -displayfd 3 -screen 0 "${size}x24" -dpi "$dpi" -nolisten tcp -noreset 3>"$fdfile" >"$QM_TMP/xvfb.log" 2>&1 &
  QM_PIDS+=($!)
  qm_wait 20 test -s "$fdfile" || qm_fail "Xvfb did not start"
  export DISPLAY=:$(head -n 1 "$fdfile")
  xprop -root -format RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "Xft.dpi:	$dpi
" || qm_fail "could not set Xft.dpi"
  openbox --sm-disable >"$QM_TMP/openbox.log" 2>&1 &
  QM_PIDS+=($!)
  qm_wait 20 eval 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' ||
    qm_fail "openbox did not start: $(tail -n 3 "$QM_TMP/openbox.log")"
  qm_log "Xvfb on $DISPLAY, $size at $dpi DPI, openbox"
}

qm_start_tray() {
  qm_need trayer
  trayer --edge top --align right --widthtype request --height 24 >"$QM_TMP/trayer.log" 2>&1 &
  QM_PIDS+=($!)
  qm_wait 20 eval 'xdotool search --onlyvisible --class trayer >/dev/null 2>&1' || qm_fail "trayer did not start"
  qm_log "trayer is the notification area"
}

qm_start_pulse() {
  qm_need pulseaudio pactl
  pulseaudio --daemonize=no -n --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
    --load=module-native-protocol-unix --load='module-null-sink sink_name=vsink' \
    --log-target=file:"$QM_TMP/pulse.log" >/dev/null 2>&1 &
  QM_PULSE_PID=$!
  QM_PIDS+=($!)
  qm_wait 20 eval 'pactl info >/dev/null 2>&1' || qm_fail "PulseAudio did not start: $(tail -n 3 "$QM_TMP/pulse.log" 2>/dev/null)"
  # The program's microphone is what the null sink plays.
  export PULSE_SOURCE=vsink.monitor
  qm_log "PulseAudio with a null sink"
}

# qm_store ENTRY...: the store files, one entry per "phrase|target|kind".
qm_store() {
  local dir=$XDG_DATA_HOME/quillmere entry phrase target kind
  printf '[Grammer]\r\ntype=cfg\r\n[<start>]\r\n' >"$dir/words.txt"
  : >"$dir/dirs.txt"
  : >"$dir/desc.txt"
  for entry in "$@"; do
    IFS='|' read -r phrase target kind <<<"$entry"
    printf '<start>=%s\r\n' "$phrase" >>"$dir/words.txt"
    printf '%s\r\n\r\n' "$target" >>"$dir/dirs.txt"
    printf '%s\r\n\r\n' "$kind" >>"$dir/desc.txt"
  done
  printf '\r\n' >>"$dir/words.txt"
}

# qm_start_app PROGRAM: starts it in the background; QM_APP_PID is its id.
qm_start_app() {  # PROGRAM [ARGUMENT...]
  "$@" >"$QM_APP_LOG" 2>&1 &
  QM_APP_PID=$!
  QM_PIDS+=("$QM_APP_PID")
  qm_log "started $(basename "$1") as $QM_APP_PID"
}

qm_app_running() { qm_alive "$QM_APP_PID"; }

# The program's visible windows, one id a line; with a name, only those titled so.
qm_app_windows() {
  if [ $# -gt 0 ]; then
    xdotool search --all --onlyvisible --pid "$QM_APP_PID" --name "^$1\$" 2>/dev/null
  else
    xdotool search --onlyvisible --pid "$QM_APP_PID" 2>/dev/null
  fi
}

# qm_wait_window SECONDS NAME: waits for a visible window of the program so
# titled and prints its id.
qm_wait_window() {
  local limit=$1 name=$2 end=$((SECONDS + $1)) id
  while [ "$SECONDS" -lt "$end" ]; do
    qm_app_running || qm_fail "the program ended while waiting for \"$name\""
    id=$(qm_app_windows "$name" | head -n 1)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.2
  done
  return 1
}

# qm_size WINDOW: prints WIDTHxHEIGHT.
qm_size() {
  xdotool getwindowgeometry "$1" | sed -n 's/ *Geometry: *//p'
}

# qm_frame WINDOW: the window manager's frame around a program's window.
qm_frame() {
  [ -n "$1" ] || qm_fail "qm_frame: no window"
  xwininfo -children -id "$1" | sed -n 's/.*Parent window id: \(0x[0-9a-f]*\).*/\1/p'
}

# qm_frame_rect WINDOW: "X Y WIDTH HEIGHT" of the window with its frame, on the screen.
qm_frame_rect() {
  local x y w h ext
  # xwininfo with no window waits for a click.
  [ -n "$1" ] || qm_fail "qm_frame_rect: no window"
  eval "$(xwininfo -id "$1" | awk -F: '
    /Absolute upper-left X/ {print "x=" $2+0} /Absolute upper-left Y/ {print "y=" $2+0}
    /^ *Width/ {print "w=" $2+0} /^ *Height/ {print "h=" $2+0}')"
  # _NET_FRAME_EXTENTS: left, right, top, bottom
  ext=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p' | tr -d ' ')
  IFS=, read -r l r t b <<<"${ext:-0,0,0,0}"
  echo "$((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))"
}

# qm_workarea: "X Y WIDTH HEIGHT" of the desktop's work area.
qm_workarea() {
  xprop -root _NET_WORKAREA | sed -n 's/.*= *//p' | tr -d ' ' | cut -d, -f1-4 | tr , ' '
}

# qm_shot WINDOW FILE: a screenshot of the window with its frame and title.
qm_shot() {
  local frame
  frame=$(qm_frame "$1")
  [ -n "$frame" ] && [ "$frame" != "$(xwininfo -root | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p')" ] || frame=$1
  "$QM_GRAB" "$frame" "$2" >/dev/null || qm_fail "no screenshot of window $1 into $2"
  qm_log "screenshot: $2"
}

# The window at the top of the window manager's stacking order, and the one with the focus, in decimal.
qm_topmost() { printf '%d\n' "$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*, *//; s/.*# *//')"; }
qm_focused() { xdotool getwindowfocus; }
