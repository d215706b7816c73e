#!/usr/bin/env bash
# The real program under Xvfb and openbox: its main window appears, the tray
# icon's right button opens the pop-up menu (its screenshot is kept) and its
# left double-click the message, in front and with the keyboard, and Exit
# ends the program.
#   tray_test.sh PROGRAM GRAB_TOOL SHOTS_DIR [--no-tray]
# With --no-tray there is no notification area: the program runs without an
# icon, says so at start, and its Hide minimises the main window (under a
# window manager, so that minimising means something).
program=$1 QM_GRAB=$2 shots=$3 mode=${4:-}
source "$(dirname "$0")/xvfb_session.sh"
mkdir -p "$shots"

qm_start_xvfb
if [ "$mode" = --no-tray ]; then
  openbox >"$QM_TMP/openbox.log" 2>&1 &
  QM_PIDS+=($!)
  qm_wait 20 eval 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' || qm_fail "openbox did not start"
else
  qm_start_tray
fi
# A microphone to listen to, so that the start-up has nothing to complain about.
qm_start_pulse
qm_store "open the notes|/nonexistent/notes|Open" "good morning|Rise and shine|Message Prompt" \
  "next song|String holder|Next Track"
qm_start_app "$program"

main=$(qm_wait_window 90 "Quillmere Voice Vuredizara Program") || qm_fail "the main window did not appear"
qm_log "main window $main, $(qm_size "$main")"
if [ "$mode" = --no-tray ]; then
  notice=$(qm_wait_window 20 "Quillmere Voice Command") || qm_fail "no notice that there is no notification area"
  sleep 0.3
  qm_shot "$notice" "$shots/no-tray-notice.png"
  xdotool windowactivate --sync "$notice" 2>/dev/null; xdotool key Return
  qm_wait 10 eval '[ -z "$(qm_app_windows "Quillmere Voice Command")" ]' || qm_fail "the notice did not close"
else
  stray=$(qm_app_windows "Quillmere Voice Command")
  [ -z "$stray" ] || qm_fail "a message box opened at start-up"
fi

# The tray icon: the program's small window that trayer embedded.
icon=
for w in $(qm_app_windows); do
  read -r width height < <(qm_size "$w" | tr x ' ')
  if [ "$w" != "$main" ] && [ "$width" -le 48 ] && [ "$height" -le 48 ]; then
    icon=$w
  fi
done

iconic() { xprop -id "$main" WM_STATE 2>/dev/null | grep -q "Iconic"; }
if [ "$mode" = --no-tray ]; then
  [ -z "$icon" ] || qm_fail "a tray icon window ($icon) exists with no notification area"
  # File, then its third item, Hide: the window goes to the task bar, not away.
  xdotool windowactivate --sync "$main" 2>/dev/null
  xdotool mousemove --window "$main" 15 10 click 1
  sleep 0.7
  xdotool key --delay 80 Down Down Down Return
  qm_wait 10 iconic || qm_fail "Hide did not minimise the main window"
  # What a task bar does when the user clicks the program there.
  xdotool windowactivate "$main" 2>/dev/null
  qm_wait 10 eval '! iconic' || qm_fail "the minimised main window did not come back"
  qm_wait_window 10 "Quillmere Voice Vuredizara Program" >/dev/null || qm_fail "the main window is not shown again"
  sleep 0.5 # let it settle before Exit is clicked
else
  [ -n "$icon" ] || qm_fail "no tray icon window was embedded in trayer"
  qm_log "tray icon $icon, $(qm_size "$icon")"

  before=$(qm_app_windows | sort)
  xdotool mousemove --window "$icon" 8 8 click 3
  menu=
  find_menu() {
    menu=$(comm -13 <(echo "$before") <(qm_app_windows | sort) | head -n 1)
    [ -n "$menu" ]
  }
  qm_wait 10 find_menu || qm_fail "the right button on the tray icon opened no menu"
  qm_log "pop-up menu $menu, $(qm_size "$menu")"
  sleep 0.3 # let it paint
  qm_shot "$menu" "$shots/tray-menu.png"
  xdotool key Escape
  qm_wait 10 eval '! qm_app_windows | grep -qx "$menu"' || qm_fail "Escape did not close the pop-up menu"

  xdotool mousemove --window "$icon" 8 8 click --repeat 2 --delay 60 1
  box=$(qm_wait_window 10 "Quillmere Voice Command") || qm_fail "a double-click on the tray icon showed no message"
  qm_log "double-click message $box"
  qm_wait 10 eval '[ "$(qm_topmost)" = "$box" ] && [ "$(qm_focused)" = "$box" ]' ||
    qm_fail "the message is not in front with the focus: topmost $(qm_topmost), focus $(qm_focused), box $box"
  xdotool key Return
  qm_wait 10 eval '[ -z "$(qm_app_windows "Quillmere Voice Command")" ]' || qm_fail "the message box did not close"
fi

# Exit: the button at the bottom right of the client area, under the menu bar.
read -r width height < <(qm_size "$main" | tr x ' ')
xdotool mousemove --window "$main" $((width - 40)) $((height - 12)) click 1
qm_wait 20 eval '! qm_app_running' || qm_fail "Exit did not end the program"
wait "$QM_APP_PID"
status=$?
[ "$status" -eq 0 ] || qm_fail "the program ended with status $status"
qm_log "pass"
