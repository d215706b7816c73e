#!/usr/bin/env bash
# The test build of the program under Xvfb, hearing phrases written into a
# FIFO on a thread of its own as an engine would: a "Message Prompt" entry
# shows its text in a real message box, and while that box waits the program
# still hears "Hide" and "Show".
#   injected_phrase_test.sh QUILLMERE_TEST GRAB_TOOL ARTIFACT_DIR
program=$1 grab=$2 artifacts=$3
source "$(dirname "$0")/xvfb_session.sh"
mkdir -p "$artifacts"

qm_start_xvfb
qm_start_tray # a desktop with a notification area: Hide hides
qm_store "greet me please|Good morning to you|Message Prompt" "hide yourself|String holder|Hide" \
  "come back|String holder|Show"
fifo=$QM_TMP/phrases
mkfifo "$fifo"
export QM_TEST_PHRASES=$fifo
qm_start_app "$program"

say() {
  # The program keeps the FIFO open for reading, so this never waits long.
  timeout 10 sh -c 'printf "%s\n" "$1" >"$2"' say "$1" "$fifo" || qm_fail "could not say \"$1\""
}

main=$(qm_wait_window 60 "Quillmere Voice Vuredizara Program") || qm_fail "the main window did not appear"

say "not a phrase of the grammar"
say "greet me please"
box=$(qm_wait_window 20 "Quillmere Voice Command") || qm_fail "the Message Prompt entry showed no message box"
qm_wait 10 grep -q '^QM_MESSAGE' "$QM_APP_LOG" || qm_fail "the message box was not reported"
messages=$(sed -n 's/^QM_MESSAGE //p' "$QM_APP_LOG")
[ "$messages" = "Good morning to you" ] || qm_fail "message boxes: \"$messages\", expected only the entry's target"
sleep 0.3
"$grab" "$box" "$artifacts/message-prompt.png" >/dev/null || qm_fail "no screenshot of the message box"

# The box is modal, yet spoken commands still run while it waits.
say "hide yourself"
qm_wait 10 eval '[ -z "$(qm_app_windows "Quillmere Voice Vuredizara Program")" ]' ||
  qm_fail "\"hide yourself\" did not hide the main window while the message box waited"
say "come back"
qm_wait_window 10 "Quillmere Voice Vuredizara Program" >/dev/null || qm_fail "\"come back\" did not show the main window"

xdotool windowfocus "$box" 2>/dev/null
xdotool key Return
qm_wait 10 eval '[ -z "$(qm_app_windows "Quillmere Voice Command")" ]' || qm_fail "the message box did not close"
qm_app_running || qm_fail "the program ended"
qm_log "pass"
