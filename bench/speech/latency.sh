#!/bin/bash
# latency.sh QUILLMERE_SPEECH_SCORE [DIR] — median delay between the end of
# a spoken command and its report, over the command clips of the measurement
# set. The end of speech is where the clip's trailing silence (below 0.5% of
# full scale) begins. The clips are fed as the microphone delivers them,
# 20 ms at a time, to one consumer, so the delay counts both the quiet the
# engine waits for and the time its decoding takes (quillmere-speech-score's
# event_ms). Run it on an otherwise idle machine.
set -euo pipefail
score=$1
dir=${2:-${TMPDIR:-/tmp}/quillmere-measure}
here=$(cd "$(dirname "$0")/../../tests/audio" && pwd)
"$here/make_set.sh" "$dir" 2> /dev/null
clips=("$dir"/cmd_*.wav)
"$score" "$here/phrases.txt" "${clips[@]}" 2> /dev/null | awk -F'\t' '$3 == 1 {print $1 "\t" $NF}' > "$dir/latency.tsv"
while IFS=$'\t' read -r f ms; do
    sox "$f" "$dir/trimmed.wav" reverse silence 1 0.005 0.5% reverse
    end=$(( $(soxi -s "$dir/trimmed.wav") / 16 ))
    echo $((ms - end))
done < "$dir/latency.tsv" | sort -n | awk '{v[NR]=$1} END{printf "median latency %d ms over %d reports (min %d, max %d)\n", v[int((NR+1)/2)], NR, v[1], v[NR]}'
