#!/usr/bin/env bash
# memory.sh QUILLMERE [TALK.wav] — resident memory of the real program while
# it listens with the 30-phrase test vocabulary: under Xvfb, with a private
# PulseAudio null sink as its microphone, after a minute of talk (the start
# of TALK.wav, default: espeak-ng reading a licence text) has been heard.
program=$1
talk=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../tests/gui/xvfb_session.sh"
mapfile -t phrases < "$here/../../tests/audio/phrases.txt"
entries=()
for p in "${phrases[@]}"; do entries+=("$p|/nonexistent/target|Open"); done
if [ -z "$talk" ]; then
  talk=$QM_TMP/talk.wav
  espeak-ng -v en-us -s 170 -f /usr/share/common-licenses/Apache-2.0 -w "$QM_TMP/raw.wav"
  sox -q "$QM_TMP/raw.wav" -r 16000 -c 1 -b 16 "$talk"
fi
sox -q "$talk" "$QM_TMP/minute.wav" trim 0 60 || qm_fail "sox failed"

qm_start_xvfb
qm_start_pulse
qm_store "${entries[@]}"
qm_start_app "$program"
mic_open() { pactl list short source-outputs 2>/dev/null | grep -q .; }
qm_wait 120 mic_open || qm_fail "the program did not open the microphone"
rss() { awk -v k="$1" '$1 == k":" {print $2}' "/proc/$QM_APP_PID/status"; }
echo "listening, before any speech: VmRSS $(rss VmRSS) KB"
paplay -d vsink "$QM_TMP/minute.wav" || qm_fail "paplay failed"
sleep 1
echo "after a minute of talk: VmRSS $(rss VmRSS) KB, peak VmHWM $(rss VmHWM) KB"
