#!/usr/bin/env bash
# The real program under Xvfb and openbox, used as a person uses it: the
# mouse opens the add window from the File menu and clicks its controls, the
# keyboard types a phrase, a target and a player command, Save stores each
# entry, and the three store files hold exactly the bytes expected. Then the
# word list's Delete, first with no row chosen, then on a clicked row.
#   typing_test.sh PROGRAM GRAB_TOOL SHOTS_DIR
program=$1 QM_GRAB=$2 shots=$3
source "$(dirname "$0")/xvfb_session.sh"
mkdir -p "$shots"

qm_start_xvfb
qm_start_tray # a desktop with a notification area: no start-up notice
qm_start_pulse
store=$XDG_DATA_HOME/quillmere
qm_store "open the notes|/home/me/notes.txt|Open"
qm_start_app "$program"

main=$(qm_wait_window 90 "Quillmere Voice Vuredizara Program") || qm_fail "the main window did not appear"
# File, then its first item, Add New Word/Phrase.
xdotool mousemove --window "$main" 16 10 click 1
qm_wait 10 eval '[ "$(qm_app_windows | wc -l)" -ge 2 ]' || qm_fail "the File menu did not open"
xdotool key Down Return
add=$(qm_wait_window 20 "Add Word/Phrase") || qm_fail "the add window did not open"
qm_wait 10 eval '[ "$(qm_focused)" = "$add" ]' || qm_fail "the add window did not take the focus"

# Where the controls are, in the add window's pixels at 96 DPI.
click() { xdotool mousemove --window "$add" "$1" "$2" click 1; }
phrase_box() { click 150 41; }
target_box() { click 100 289; }
save() { click 48 348; }
# type_into BOX TEXT: a click into the box, then the keys; the box must be
# empty before (Save empties both boxes).
type_into() {
  "$1"
  xdotool type --delay 30 "$2"
}
saved() { # PHRASE: waits until words.txt holds the phrase
  qm_wait 20 grep -q "<start>=$1" "$store/words.txt" || qm_fail "Save did not store \"$1\""
}

# A Message Prompt entry: phrase, the option button, the message.
type_into phrase_box "good morning"
click 182 232 # "Message Prompt"
type_into target_box "Rise & shine, it's 7 o'clock"
sleep 0.3 # let it paint
qm_shot "$add" "$shots/add-typed.png"
save
saved "good morning"

# A player command typed into the drop-down's box after "Winamp Commands".
type_into phrase_box "skip this song"
click 30 156 # "Winamp Commands"
click 190 162 # the drop-down's text
xdotool key ctrl+a
xdotool type --delay 30 "Next Track"
save
saved "skip this song"

crlf() { printf '%s\r\n' "$@"; }
expect() { # FILE: compares the store file with stdin, byte for byte
  local want=$QM_TMP/want-$1
  cat >"$want"
  cmp -s "$want" "$store/$1" || {
    echo "--- expected $1 ---" >&2; od -c "$want" | tail -n 12 >&2
    echo "--- stored $1 ---" >&2; od -c "$store/$1" | tail -n 12 >&2
    qm_fail "$1 is not what was typed and clicked"
  }
}
three_entries() {
  { crlf "[Grammer]" "type=cfg" "[<start>]" "<start>=open the notes" "<start>=good morning" "<start>=skip this song"; crlf ""; } |
    expect words.txt
  crlf "/home/me/notes.txt" "" "Rise & shine, it's 7 o'clock" "" "String holder" "" | expect dirs.txt
  crlf "Open" "" "Message Prompt" "" "Next Track" "" | expect desc.txt
}
three_entries

# The word list: Delete with no row chosen removes nothing, even though the
# list took the focus when the window opened; a clicked row is removed.
xdotool windowactivate --sync "$main" || qm_fail "the main window could not be brought to the front"
xdotool mousemove --window "$main" 16 10 click 1
qm_wait 10 eval '[ "$(qm_app_windows | wc -l)" -ge 3 ]' || qm_fail "the File menu did not open"
xdotool key Down Down Return
list=$(qm_wait_window 20 "Words/Phrases List") || qm_fail "the word list did not open"
qm_wait 10 eval '[ "$(qm_focused)" = "$list" ]' || qm_fail "the word list did not take the focus"
delete() { xdotool mousemove --window "$list" 48 164 click 1; }
delete
# The program takes the clicks in order: when the second Delete has run, so
# has the first, and the files show what each removed.
xdotool mousemove --window "$list" 50 40 click 1 # the second phrase
delete
qm_wait 20 eval '! grep -q "<start>=good morning" "$store/words.txt"' || qm_fail "Delete did not remove the clicked entry"
{ crlf "[Grammer]" "type=cfg" "[<start>]" "<start>=open the notes" "<start>=skip this song"; crlf ""; } | expect words.txt
crlf "/home/me/notes.txt" "" "String holder" "" | expect dirs.txt
crlf "Open" "" "Next Track" "" | expect desc.txt
qm_app_running || qm_fail "the program ended"
qm_log "pass"
