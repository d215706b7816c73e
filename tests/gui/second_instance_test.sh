#!/usr/bin/env bash
# Two starts of the real program on one store, under Xvfb with a window
# manager: entries are added through the first program's add window, then a
# second start, with the first's windows hidden and again with them shown,
# ends at once with status 0 and brings the first's main window forward, as
# the active window. No second main window ever appears, and when the first
# is closed the store holds every entry added through it. Of two starts at the
# same moment, one ends with status 0 and the other runs alone.
#   second_instance_test.sh QUILLMERE GRAB_TOOL ARTIFACT_DIR
program=$1 grab=$2 artifacts=$3
source "$(dirname "$0")/xvfb_session.sh"
mkdir -p "$artifacts"
for tool in openbox xprop; do
  command -v "$tool" >/dev/null 2>&1 || qm_fail "$tool is not installed (scripts/deps.sh installs it)"
done

kMain="Quillmere Voice Vuredizara Program"
kAdd="Add Word/Phrase"
store=$XDG_DATA_HOME/quillmere

qm_start_xvfb
openbox --sm-disable >"$QM_TMP/openbox.log" 2>&1 &
QM_PIDS+=($!)
qm_wait 20 eval 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' ||
  qm_fail "openbox did not start"
qm_start_pulse
qm_store "open the notes|/nonexistent/notes|Open"
qm_start_app "$program"
main=$(qm_wait_window 90 "$kMain") || qm_fail "the main window did not appear"

# Every visible main window on the display, whoever owns it.
main_windows() { xdotool search --all --onlyvisible --name "^$kMain\$" 2>/dev/null; }
active() { xdotool getactivewindow 2>/dev/null; }
# The add window's controls, in pixels from its client area (twips / 15).
click_at() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.2; }

# File > Add New Word/Phrase, with the mouse and the keyboard.
click_at "$main" 18 10
xdotool key Down Return
add=$(qm_wait_window 20 "$kAdd") || qm_fail "File > Add New Word/Phrase showed no add window"

add_entry() { # PHRASE MESSAGE
  click_at "$add" 160 41   # the phrase box
  xdotool type --delay 20 "$1"
  click_at "$add" 184 232  # "Message Prompt"
  click_at "$add" 120 289  # the target box
  xdotool type --delay 20 "$2"
  click_at "$add" 48 348   # Save
  qm_wait 10 grep -qF "<start>=$1" "$store/words.txt" || qm_fail "Save did not store \"$1\""
}
add_entry "good morning" "Rise and shine"
add_entry "good night" "Sleep well"
sleep 0.3
"$grab" "$add" "$artifacts/second-start-add-window.png" >/dev/null || qm_fail "no screenshot of the add window"
click_at "$add" 136 348    # Close: the add window lies over the main window's menu bar
qm_wait 10 eval '[ -z "$(qm_app_windows "$kAdd")" ]' || qm_fail "Close did not close the add window"

# second_start WHEN: starts the program again and checks that it ends with 0
# and that the first's main window is shown, active and alone.
second_start() {
  local when=$1 status
  timeout 60 "$program" >"$QM_TMP/second.log" 2>&1
  status=$?
  [ "$status" -eq 0 ] || qm_fail "the second start $when ended with status $status: $(tail -n 5 "$QM_TMP/second.log")"
  qm_app_running || qm_fail "the first program ended when the second started $when"
  qm_wait 10 eval '[ "$(main_windows)" = "$main" ]' ||
    qm_fail "after the second start $when the visible main windows are [$(main_windows | xargs)], not [$main]"
  qm_wait 10 eval '[ "$(active)" = "$main" ]' ||
    qm_fail "after the second start $when the active window is $(active), not the main window $main"
  qm_log "second start $when: status 0, the first main window is shown and active"
}

# Hidden from its File menu, the main window comes back.
click_at "$main" 18 10
xdotool key Down Down Down Return
qm_wait 10 eval '[ -z "$(qm_app_windows "$kMain")" ]' || qm_fail "File > Hide did not hide the main window"
second_start "while the first was hidden"
sleep 0.3
"$grab" "$main" "$artifacts/second-start-main-window.png" >/dev/null || qm_fail "no screenshot of the main window"

# Shown but behind the add window, the main window becomes the active one.
click_at "$main" 18 10
xdotool key Down Return
add=$(qm_wait_window 20 "$kAdd") || qm_fail "File > Add New Word/Phrase showed no add window"
qm_wait 10 eval '[ "$(active)" = "$add" ]' || qm_fail "the add window did not become active"
second_start "while the add window was active"

# Closing the first saves its table: every entry added through it is there.
xdotool key alt+F4
qm_wait 20 eval '! qm_app_running' || qm_fail "closing the main window did not end the program"
wait "$QM_APP_PID"
printf '[Grammer]\r\ntype=cfg\r\n[<start>]\r\n<start>=open the notes\r\n<start>=good morning\r\n<start>=good night\r\n\r\n' >"$QM_TMP/words.txt"
printf '/nonexistent/notes\r\n\r\nRise and shine\r\n\r\nSleep well\r\n\r\n' >"$QM_TMP/dirs.txt"
printf 'Open\r\n\r\nMessage Prompt\r\n\r\nMessage Prompt\r\n\r\n' >"$QM_TMP/desc.txt"
for f in words.txt dirs.txt desc.txt; do
  cmp -s "$QM_TMP/$f" "$store/$f" || qm_fail "$f after closing the first: $(od -c "$store/$f" | head -n 8)"
done

# Two starts at the same moment: one becomes the store's program, the other
# hands over to it and ends with 0.
"$program" >"$QM_TMP/a.log" 2>&1 &
a=$!
"$program" >"$QM_TMP/b.log" 2>&1 &
b=$!
QM_PIDS+=("$a" "$b")
qm_wait 60 eval '! qm_alive "$a" || ! qm_alive "$b"' || qm_fail "of two starts at once, neither ended"
if qm_alive "$a"; then QM_APP_PID=$a ended=$b; else QM_APP_PID=$b ended=$a; fi
wait "$ended"
status=$?
[ "$status" -eq 0 ] || qm_fail "of two starts at once, the one that ended has status $status"
main=$(qm_wait_window 90 "$kMain") || qm_fail "of two starts at once, the one left showed no main window"
sleep 1
[ "$(main_windows)" = "$main" ] || qm_fail "two starts at once show the main windows [$(main_windows | xargs)]"
qm_app_running || qm_fail "of two starts at once, the one left ended"
qm_log "pass"
