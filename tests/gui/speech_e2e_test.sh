#!/usr/bin/env bash
# Real speech end to end: espeak-ng speaks into a private PulseAudio server's
# null sink, whose monitor is the program's microphone. Every entry is a
# "Message Prompt" with its own text, so a phrase heard as another entry shows
# the wrong text; sentences outside the word list are spoken in between. Each
# expected box is closed with Return, and at the end the whole list of boxes
# shown must be exactly the spoken entries', in order.
#   speech_e2e_test.sh QUILLMERE_TEST GRAB_TOOL SHOTS_DIR ENGINE
# QUILLMERE_TEST is the test build, which reports each box's text (it hears
# the microphone as the program does when QM_TEST_PHRASES is not set). ENGINE
# is the live engine it was built with, which must be PocketSphinx.
program=$1 QM_GRAB=$2 shots=$3 engine=$4
source "$(dirname "$0")/xvfb_session.sh"
[ "$engine" = sphinx ] ||
  qm_fail "the program was built without the PocketSphinx engine (engine: $engine): install libpocketsphinx-dev"
qm_need espeak-ng sox paplay pactl
mkdir -p "$shots"

# speak TEXT: synthesised with silence around it, as a command comes from a microphone.
speak() {
  local raw=$QM_TMP/raw.wav wav=$QM_TMP/speech.wav
  espeak-ng -v en-us -s 150 -w "$raw" "$1" || qm_fail "espeak-ng failed"
  sox -q "$raw" -r 16000 -c 1 -b 16 "$wav" pad 0.4 0.8 || qm_fail "sox failed"
  timeout 30 paplay -d vsink "$wav" || qm_fail "paplay failed"
}
boxes() { sed -n 's/^QM_MESSAGE //p' "$QM_APP_LOG"; }
# The program records from the sound server: one of its source outputs is the program's.
microphone_open() {
  local ids
  ids=$(pactl list short clients | awk -v b="$(basename "$program")" '$3 == b { print $1 }')
  [ -n "$ids" ] && pactl list short source-outputs | awk '{ print $3 }' | grep -qxF "$ids"
}
# heard N: waits for the Nth box, then closes it with Return (the box has the focus).
heard() {
  want=$1
  qm_wait 30 eval '[ "$(boxes | wc -l)" -ge "$want" ]' ||
    qm_fail "the spoken phrase showed no message box (boxes so far: $(boxes | tr '\n' '|'))"
  box=$(qm_wait_window 10 "Quillmere Voice Command") || qm_fail "the message box did not appear on the screen"
  qm_log "message box $box: $(boxes | tail -n 1)"
}
close_box() {
  xdotool key Return
  qm_wait 10 eval '[ -z "$(qm_app_windows "Quillmere Voice Command")" ]' || qm_fail "Return did not close the message box"
}

qm_start_xvfb
qm_start_tray # a desktop with a notification area, which says nothing at start
qm_start_pulse
qm_store "open mail|Mail is here|Message Prompt" "show desktop|Time for a break|Message Prompt" \
  "play music|Music please|Message Prompt"
qm_start_app "$program"

main=$(qm_wait_window 120 "Quillmere Voice Vuredizara Program") || qm_fail "the main window did not appear"
qm_wait 30 microphone_open || qm_fail "the program did not open the microphone: $(pactl list short source-outputs)"

speak "what is the weather like today"
speak "show desktop"
heard 1
sleep 0.3 # let it paint
qm_shot "$box" "$shots/speech-message.png"
close_box
speak "the cat sat on a warm blanket"
speak "play music"
heard 2
close_box

expected="Time for a break
Music please"
[ "$(boxes)" = "$expected" ] || qm_fail "message boxes shown: \"$(boxes | tr '\n' '|')\", expected \"$(tr '\n' '|' <<<"$expected")\""

# The sound server goes away while the program listens, as when the user's
# sound service restarts, and comes back. The user is told, in a box on
# top, and the program hears again without being started again.
kill "$QM_PULSE_PID"
heard 3
case $(boxes | tail -n 1) in
  "Quillmere Voice Command cannot hear commands: the microphone was lost ("*")."*) ;;
  *) qm_fail "the box does not tell that the microphone was lost: \"$(boxes | tail -n 1)\"" ;;
esac
[ "$(qm_topmost)" = "$box" ] || qm_fail "the box opened under another window ($(qm_topmost) is on top of $box)"
sleep 0.3 # let it paint
qm_shot "$box" "$shots/speech-microphone-lost.png"
close_box
qm_start_pulse
qm_wait 30 microphone_open || qm_fail "the program did not open the microphone again once the sound server was back"
speak "open mail"
heard 4
[ "$(boxes | tail -n 1)" = "Mail is here" ] || qm_fail "after the sound server came back, \"open mail\" showed \"$(boxes | tail -n 1)\""
close_box

# The private folder where the engine keeps its work is swapped, while the
# program listens, for a link to a folder that is not the engine's. Nothing
# may be written through the link; the phrase is not heard, and the user is
# told why, once, in a box on top; the program goes on.
scores=$(ls -d "$XDG_RUNTIME_DIR"/quillmere-scores-* 2>/dev/null | head -n 1)
[ -n "$scores" ] || qm_fail "the engine keeps no folder in $XDG_RUNTIME_DIR"
elsewhere=$QM_TMP/elsewhere
mkdir -p "$elsewhere"
rm -rf "$scores" && ln -s "$elsewhere" "$scores" || qm_fail "could not swap $scores for a link"
speak "open mail"
heard 5
told=$(boxes | tail -n 1)
case $told in
  "Quillmere Voice Command cannot hear commands: "*"$scores"*) ;;
  *) qm_fail "the box does not tell why the phrase was not heard: \"$told\"" ;;
esac
[ "$(qm_topmost)" = "$box" ] || qm_fail "the box opened under another window ($(qm_topmost) is on top of $box)"
sleep 0.3 # let it paint
qm_shot "$box" "$shots/speech-engine-failure.png"
close_box
[ -z "$(ls -A "$elsewhere")" ] || qm_fail "the engine wrote through the link: $(ls -A "$elsewhere" | head -n 3)"
speak "play music"
sleep 5 # a second box would come within this, as the first did
[ "$(boxes | wc -l)" -eq 5 ] || qm_fail "the same failure was told again: $(boxes | tail -n 1)"
qm_app_running || qm_fail "the program ended after the engine failed"
qm_log "pass"
