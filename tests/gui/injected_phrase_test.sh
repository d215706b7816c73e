#!/usr/bin/env bash
# The test build of the program under Xvfb and openbox, hearing phrases
# written into a FIFO on a thread of its own as an engine would. Every message
# box opens in front of the program's windows, which are kept on top, and has
# the keyboard: the user closes each with Return alone.
#  - a phrase outside the word list does nothing;
#  - a "Message Prompt" entry shows its text, and while that box waits the
#    program still hears "Hide" and "Show", and the box stays in front;
#  - Save in the add window with no phrase refuses, in a box in front of it.
# At the end the boxes shown are exactly those expected, in order.
#   injected_phrase_test.sh QUILLMERE_TEST GRAB_TOOL SHOTS_DIR
program=$1 QM_GRAB=$2 shots=$3
source "$(dirname "$0")/xvfb_session.sh"
mkdir -p "$shots"

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
boxes() { sed -n 's/^QM_MESSAGE //p' "$QM_APP_LOG"; }
box_count() { boxes | wc -l; }

# on_top WINDOW WHAT: the window is the topmost of the desktop and has the focus.
on_top() {
  front=$1
  qm_wait 10 eval '[ "$(qm_topmost)" = "$front" ] && [ "$(qm_focused)" = "$front" ]' ||
    qm_fail "$2 is not in front with the focus: topmost $(qm_topmost), focus $(qm_focused), box $1"
}
# close_box WINDOW: Return, typed to whatever has the focus, closes the box.
close_box() {
  closing=$1
  xdotool key Return
  qm_wait 10 eval '! qm_app_windows | grep -qx "$closing"' || qm_fail "Return did not close the message box $1"
}

main=$(qm_wait_window 60 "Quillmere Voice Vuredizara Program") || qm_fail "the main window did not appear"
on_top "$main" "the main window at start"

# A line outside the word list reaches the program, which runs nothing for it:
# the next box is the Message Prompt's, with nothing before it.
say "not a phrase of the grammar"
say "greet me please"
box=$(qm_wait_window 20 "Quillmere Voice Command") || qm_fail "the Message Prompt entry showed no message box"
qm_wait 10 eval '[ "$(box_count)" -ge 1 ]' || qm_fail "the message box was not reported"
[ "$(boxes)" = "Good morning to you" ] || qm_fail "message boxes: \"$(boxes)\", expected only the entry's target"
on_top "$box" "the Message Prompt box"
sleep 0.3 # let it paint
qm_shot "$box" "$shots/message-box.png"

# The box is modal, yet spoken commands still run while it waits, and the
# main window coming back does not cover it.
say "hide yourself"
qm_wait 10 eval '[ -z "$(qm_app_windows "Quillmere Voice Vuredizara Program")" ]' ||
  qm_fail "\"hide yourself\" did not hide the main window while the message box waited"
say "come back"
qm_wait_window 10 "Quillmere Voice Vuredizara Program" >/dev/null || qm_fail "\"come back\" did not show the main window"
on_top "$box" "the Message Prompt box, after the main window came back"
close_box "$box"

# Save with no phrase, from the add window: File, Add New Word/Phrase, Save.
xdotool mousemove --window "$main" 16 10 click 1
qm_wait 10 eval '[ "$(qm_app_windows | wc -l)" -ge 2 ]' || qm_fail "the File menu did not open"
xdotool key Down Return
add=$(qm_wait_window 20 "Add Word/Phrase") || qm_fail "the add window did not open"
on_top "$add" "the add window"
xdotool mousemove --window "$add" 48 348 click 1 # Save
refusal=$(qm_wait_window 20 "Quillmere Voice Command") || qm_fail "Save with no phrase showed no message"
on_top "$refusal" "the box refusing the save"
close_box "$refusal"

expected="Good morning to you
Type the word or phrase to recognise before saving."
[ "$(boxes)" = "$expected" ] || qm_fail "message boxes shown: \"$(boxes)\", expected \"$expected\""
qm_app_running || qm_fail "the program ended"
qm_log "pass"
