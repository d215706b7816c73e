#!/usr/bin/env bash
# The test build of the program under Xvfb, with --verbose, hearing phrases
# from a FIFO. Each Open entry's target must start what a user expects, seen
# from outside: programs on a private PATH and a fake xdg-open write marks.
# The failures that show no box (a target that cannot start, no media player,
# no logind) must each leave one log line naming phrase, target and cause, and
# a "Message Prompt" with markup shows it as typed.
#   open_targets_test.sh QUILLMERE_TEST GRAB_TOOL ARTIFACT_DIR
program=$1 grab=$2 artifacts=$3
source "$(dirname "$0")/xvfb_session.sh"
mkdir -p "$artifacts"

marks=$QM_TMP/marks
: >"$marks"
bin=$QM_TMP/bin
mkdir -p "$bin" "$HOME/My Tools"
# Each writes one line: its name, then its arguments, separated by "|".
mark_program() {
  printf '#!/bin/sh\n(printf "%%s" "%s"; for a in "$@"; do printf "|%%s" "$a"; done; echo) >>"%s"\n' "$2" "$marks" >"$1"
  chmod +x "$1"
}
mark_program "$bin/qm-mark" qm-mark
mark_program "$bin/xdg-open" xdg-open
mark_program "$HOME/My Tools/run me" run-me
echo "notes" >"$HOME/notes file.txt"
export PATH=$bin:/usr/bin:/bin

# A session bus with no media player on it, and no system bus: no logind.
dbus-daemon --session --nofork --print-address=3 3>"$QM_TMP/bus" >/dev/null 2>&1 &
QM_PIDS+=($!)
qm_wait 20 test -s "$QM_TMP/bus" || qm_fail "dbus-daemon did not start"
export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$QM_TMP/bus")
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$QM_TMP/no-system-bus

qm_start_xvfb
qm_start_tray

# phrase | target | kind | what must start (a line of $marks), or the log line's cause
cases=(
  "start the marker|qm-mark|Open|qm-mark"
  "marker with words|qm-mark --title \"two words\" 'one more' a\\ b plain|Open|qm-mark|--title|two words|one more|a b|plain"
  "visit the site|www.example.org|Open|xdg-open|http://www.example.org"
  "write a mail|mailto:someone@example.org|Open|xdg-open|mailto:someone@example.org"
  "open my notes|~/notes file.txt|Open|xdg-open|file://$HOME/notes%20file.txt"
  "run my tool|$HOME/My Tools/run me|Open|run-me"
  "no shell here|qm-mark \$(touch $HOME/pwned) ; touch $HOME/pwned|Open|qm-mark|\$(touch|$HOME/pwned)|;|touch|$HOME/pwned"
)
failures=(
  "no such program|qm-nowhere --flag|Open|no program \"qm-nowhere\" on PATH"
  "not a program|~/notes file.txt --now|Open|no such file"
  "next song|String holder|Next Track|no media player is running"
  "log me off|String holder|Log Off|no system bus"
)
entries=()
for c in "${cases[@]}" "${failures[@]}"; do
  IFS='|' read -r phrase target kind _ <<<"$c"
  entries+=("$phrase|$target|$kind")
done
entries+=("call home|Call <b>Mum</b>|Message Prompt")
qm_store "${entries[@]}"

fifo=$QM_TMP/phrases
mkfifo "$fifo"
export QM_TEST_PHRASES=$fifo
"$program" --verbose >"$QM_APP_LOG" 2>&1 &
QM_APP_PID=$!
QM_PIDS+=("$QM_APP_PID")
say() { timeout 10 sh -c 'printf "%s\n" "$1" >"$2"' say "$1" "$fifo" || qm_fail "could not say \"$1\""; }

qm_wait_window 60 "Quillmere Voice Vuredizara Program" >/dev/null || qm_fail "the main window did not appear"

for c in "${cases[@]}"; do
  IFS='|' read -r phrase target kind expected <<<"$c"
  before=$(wc -l <"$marks")
  say "$phrase"
  qm_wait 10 eval '[ "$(wc -l <"$marks")" -gt "$before" ]' || qm_fail "\"$phrase\" ($target) started nothing"
  sleep 0.3 # a second start would show as a second line
  got=$(tail -n +"$((before + 1))" "$marks")
  [ "$got" = "$expected" ] || qm_fail "\"$phrase\" ($target) started \"$got\", expected \"$expected\""
  grep -qF "quillmere: ran \"$phrase\": Open" "$QM_APP_LOG" || qm_fail "no log line for \"$phrase\""
  qm_log "\"$phrase\": $got"
done
[ ! -e "$HOME/pwned" ] || qm_fail "a shell ran the target's \$(…) or ;"

for c in "${failures[@]}"; do
  IFS='|' read -r phrase target kind cause <<<"$c"
  say "$phrase"
  line="quillmere: failed \"$phrase\": $kind"
  [ "$kind" = Open ] && line+=" \"$target\""
  qm_wait 10 grep -qF "$line: " "$QM_APP_LOG" || qm_fail "no log line \"$line: …\""
  logged=$(grep -F "$line: " "$QM_APP_LOG")
  [ "$(wc -l <<<"$logged")" -eq 1 ] || qm_fail "more than one line for \"$phrase\": $logged"
  [[ $logged == *"$cause"* ]] || qm_fail "the line for \"$phrase\" does not say \"$cause\": $logged"
  qm_log "$logged"
done
sleep 0.5
[ -z "$(qm_app_windows "Quillmere Voice Command")" ] || qm_fail "a failure that the user never sees opened a box"
grep -q '^QM_MESSAGE' "$QM_APP_LOG" && qm_fail "a message box was reported: $(grep '^QM_MESSAGE' "$QM_APP_LOG")"
[ "$(wc -l <"$marks")" -eq "${#cases[@]}" ] || qm_fail "the failing targets started something: $(cat "$marks")"

# Markup in a message is shown as typed.
say "call home"
box=$(qm_wait_window 20 "Quillmere Voice Command") || qm_fail "the Message Prompt showed no box"
qm_wait 10 grep -q '^QM_MESSAGE_FORMAT' "$QM_APP_LOG" || qm_fail "the message box was not reported"
format=$(sed -n 's/^QM_MESSAGE_FORMAT //p' "$QM_APP_LOG")
[ "$format" = plain ] || qm_fail "the message box renders its text as \"$format\", not as plain text"
sleep 0.3
"$grab" "$box" "$artifacts/message-plain-text.png" >/dev/null || qm_fail "no screenshot of the message box"
xdotool windowfocus "$box" 2>/dev/null
xdotool key Return
qm_wait 10 eval '[ -z "$(qm_app_windows "Quillmere Voice Command")" ]' || qm_fail "the message box did not close"
qm_app_running || qm_fail "the program ended"
qm_log "pass"
