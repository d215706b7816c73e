#!/usr/bin/env bash
# The real program under Xvfb, through its tray icon's menu, on a machine
# whose microphone comes and goes: "not listening" is said once per change,
# never again at each Enable, and the tray icon is grey while the program
# does not listen or is disabled, coloured while it listens. With --verbose,
# stderr tells why it does not listen, and what it heard or ignored.
#   tray_state_test.sh PROGRAM GRAB_TOOL COLOUR_TOOL ARTIFACT_DIR
program=$1 grab=$2 colours=$3 artifacts=$4
source "$(dirname "$0")/xvfb_session.sh"
mkdir -p "$artifacts"

# No sound server yet, and none started on demand: no microphone.
mkdir -p "$XDG_CONFIG_HOME/pulse"
echo "autospawn = no" >"$XDG_CONFIG_HOME/pulse/client.conf"

qm_start_xvfb
qm_start_tray
qm_store "show desktop|Time for a break|Message Prompt"
"$program" --verbose >"$QM_APP_LOG" 2>&1 &
QM_APP_PID=$!
QM_PIDS+=("$QM_APP_PID")

boxes() { qm_app_windows "Quillmere Voice Command"; }
close_box() {
  local box
  box=$(qm_wait_window 90 "Quillmere Voice Command") || qm_fail "no message box: $1"
  [ -n "${2:-}" ] && "$grab" "$box" "$artifacts/$2" >/dev/null
  xdotool windowfocus "$box" 2>/dev/null
  xdotool key Return
  qm_wait 10 eval '[ -z "$(boxes)" ]' || qm_fail "the message box did not close: $1"
}
no_box_for() {
  sleep "$1"
  [ -z "$(boxes)" ] || qm_fail "a message box opened: $2"
}

close_box "the start-up should say that the program does not listen" not-listening.png
main=$(qm_wait_window 90 "Quillmere Voice Vuredizara Program") || qm_fail "the main window did not appear"
no_box_for 1 "a second box at start-up"

icon=
for w in $(qm_app_windows); do
  read -r width height < <(qm_size "$w" | tr x ' ')
  [ "$w" != "$main" ] && [ "$width" -le 48 ] && [ "$height" -le 48 ] && icon=$w
done
[ -n "$icon" ] || qm_fail "no tray icon window was embedded in trayer"

# colour_of NAME: how many coloured pixels the tray icon shows now.
colour_of() {
  sleep 0.5 # the icon repaints after a change
  "$grab" "$icon" "$artifacts/tray-icon-$1.png" >/dev/null || qm_fail "no screenshot of the tray icon"
  "$colours" "$artifacts/tray-icon-$1.png"
}
expect_grey() {
  local n
  n=$(colour_of "$1")
  [ "$n" -le 2 ] || qm_fail "the tray icon has $n coloured pixels while $1; it should be grey"
}
expect_colour() {
  local n
  n=$(colour_of "$1")
  [ "$n" -ge 20 ] || qm_fail "the tray icon has only $n coloured pixels while $1"
}
# tray_menu N: the Nth item of the tray's pop-up menu (Hide, Show, Disable, Enable, About).
tray_menu() {
  xdotool mousemove --window "$icon" 8 8 click 3
  sleep 0.7
  xdotool key --delay 80 $(printf 'Down %.0s' $(seq "$1")) Return
}

expect_grey not-listening
tray_menu 4
no_box_for 2 "Enable without a microphone said \"not listening\" again"
expect_grey still-not-listening

qm_start_pulse
tray_menu 4
close_box "Enable with a microphone should say \"Enabled\""
expect_colour listening

tray_menu 3
close_box "Disable should say \"Disabled\""
expect_grey disabled

tray_menu 4
close_box "Enable should say \"Enabled\""
expect_colour listening-again
grep -q '^quillmere: not listening: cannot open the microphone' "$QM_APP_LOG" ||
  qm_fail "the log does not say why the program did not listen"

# speak TEXT: synthesised with silence around it, into the microphone.
speak() {
  espeak-ng -v en-us -s 150 -w "$QM_TMP/raw.wav" "$1" || qm_fail "espeak-ng failed"
  sox -q "$QM_TMP/raw.wav" -r 16000 -c 1 -b 16 "$QM_TMP/speech.wav" pad 0.4 0.8 || qm_fail "sox failed"
  timeout 30 paplay -d vsink "$QM_TMP/speech.wav" || qm_fail "paplay failed"
}
speak "what is the weather like today"
qm_wait 10 grep -q '^quillmere: ignored ' "$QM_APP_LOG" || qm_fail "other speech left no \"ignored\" line"
speak "show desktop"
close_box "the spoken phrase showed no box"
grep -q '^quillmere: heard "show desktop" (score -\?[0-9]' "$QM_APP_LOG" || qm_fail "no \"heard\" line with a score"
grep -qxF 'quillmere: ran "show desktop": Message Prompt "Time for a break"' "$QM_APP_LOG" ||
  qm_fail "no \"ran\" line for the spoken phrase"
grep '^quillmere: ' "$QM_APP_LOG" | sed 's/^/  /'
qm_app_running || qm_fail "the program ended"
qm_log "pass"
