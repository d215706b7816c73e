#!/usr/bin/env bash
# Real speech end to end: espeak-ng speaks into a private PulseAudio server's
# null sink, whose monitor is the program's microphone; the "Message Prompt"
# entry's box must appear for its phrase, and nothing for other speech.
#   speech_e2e_test.sh PROGRAM GRAB_TOOL ARTIFACT_DIR ENGINE
# ENGINE is the live engine the program was built with; without PocketSphinx
# there is nothing to hear and the test is skipped. When PROGRAM is the test
# build, which reports its message boxes, the box's text is checked too.
program=$1 grab=$2 artifacts=$3 engine=$4
source "$(dirname "$0")/xvfb_session.sh"
[ "$engine" = sphinx ] || qm_skip "the program was built without the PocketSphinx engine"
qm_need espeak-ng sox paplay
mkdir -p "$artifacts"

# speak TEXT: synthesised with silence around it, as a command comes from a microphone.
speak() {
  local raw=$QM_TMP/raw.wav wav=$QM_TMP/speech.wav
  espeak-ng -v en-us -s 150 -w "$raw" "$1" || qm_fail "espeak-ng failed"
  sox -q "$raw" -r 16000 -c 1 -b 16 "$wav" pad 0.4 0.8 || qm_fail "sox failed"
  timeout 30 paplay -d vsink "$wav" || qm_fail "paplay failed"
}

qm_start_xvfb
qm_start_tray # a desktop with a notification area, which says nothing at start
qm_start_pulse
qm_store "open mail|/nonexistent/mail|Open" "show desktop|Time for a break|Message Prompt" \
  "play music|String holder|Play"
qm_start_app "$program"

main=$(qm_wait_window 120 "Quillmere Voice Vuredizara Program") || qm_fail "the main window did not appear"
[ -z "$(qm_app_windows "Quillmere Voice Command")" ] || qm_fail "a message box opened at start-up"
# The microphone opens with the first activation, just before the window shows.
sleep 1

speak "what is the weather like today"
sleep 3
[ -z "$(qm_app_windows "Quillmere Voice Command")" ] || qm_fail "speech outside the word list showed a message"

speak "show desktop"
box=$(qm_wait_window 30 "Quillmere Voice Command") || qm_fail "the spoken phrase showed no message box"
qm_log "message box $box after the spoken phrase"
sleep 0.3
"$grab" "$box" "$artifacts/speech-message$([ -n "$(grep -m1 '^QM_EXPOSED' "$QM_APP_LOG")" ] && echo -test).png" \
  >/dev/null || qm_fail "no screenshot of the message box"
if grep -q '^QM_EXPOSED' "$QM_APP_LOG"; then
  qm_wait 10 grep -q '^QM_MESSAGE' "$QM_APP_LOG" || qm_fail "the message box was not reported"
  messages=$(sed -n 's/^QM_MESSAGE //p' "$QM_APP_LOG")
  [ "$messages" = "Time for a break" ] || qm_fail "message boxes: \"$messages\", expected only \"Time for a break\""
fi
qm_log "pass"
