#!/usr/bin/env bash
# The real program's command line, and its end on SIGTERM and SIGINT: the
# same as Exit, status 0 and no save, also while a start-up box waits. A
# hand edit made to words.txt while the program runs must survive the end,
# as it does after Exit (closing the window would write the table over it).
#   signals_test.sh PROGRAM VERSION
program=$1 version=$2
source "$(dirname "$0")/xvfb_session.sh"

out=$(env -u DISPLAY "$program" --version) || qm_fail "--version failed"
[ "$out" = "quillmere (Quillmere Voice Command) $version" ] || qm_fail "--version printed \"$out\""
out=$(env -u DISPLAY "$program" --help) || qm_fail "--help failed"
for word in "Usage: quillmere" --verbose --version --help; do
  grep -qF -- "$word" <<<"$out" || qm_fail "--help does not mention $word"
done
qm_log "--version and --help, with no display"

mkdir -p "$XDG_CONFIG_HOME/pulse"
echo "autospawn = no" >"$XDG_CONFIG_HOME/pulse/client.conf"
qm_start_xvfb
qm_start_tray
# Qt takes its own options first (it needs the display for that); what is left is wrong.
"$program" --no-such-option >/dev/null 2>"$QM_TMP/err" && qm_fail "an unknown option was accepted"
[ $? -eq 2 ] || qm_fail "an unknown option did not end with status 2"
grep -q 'unknown argument "--no-such-option"' "$QM_TMP/err" || qm_fail "an unknown option was not named: $(cat "$QM_TMP/err")"
qm_store "good morning|Rise and shine|Message Prompt"
words=$XDG_DATA_HOME/quillmere/words.txt

# end_with SIGNAL WHAT: the running program gets SIGNAL and must end as Exit does.
end_with() {
  kill -"$1" "$QM_APP_PID"
  qm_wait 20 eval '! qm_app_running' || qm_fail "SIG$1 did not end the program ($2)"
  wait "$QM_APP_PID"
  local status=$?
  [ "$status" -eq 0 ] || qm_fail "SIG$1 ended the program with status $status ($2)"
  qm_log "SIG$1 ended the program with status 0 ($2)"
}

# No microphone: the start-up's "not listening" box waits when the signal comes.
qm_start_app "$program"
qm_wait_window 90 "Quillmere Voice Command" >/dev/null || qm_fail "no start-up box without a microphone"
end_with TERM "while the start-up box waited"

qm_start_pulse
for signal in TERM INT; do
  qm_start_app "$program"
  qm_wait_window 90 "Quillmere Voice Vuredizara Program" >/dev/null || qm_fail "the main window did not appear"
  [ -z "$(qm_app_windows "Quillmere Voice Command")" ] || qm_fail "a message box opened at start-up"
  # Another tool adds an entry by hand, with LF line ends.
  printf '<start>=added by hand\n' >>"$words"
  cp "$words" "$QM_TMP/words.expected"
  end_with "$signal" "after a hand edit"
  cmp -s "$words" "$QM_TMP/words.expected" || qm_fail "SIG$signal saved the table over the hand edit"
done
qm_log "pass"
