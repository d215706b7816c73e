#!/bin/bash
# latency.sh QUILLMERE_HEAR [DIR] — median delay between the end of a spoken
# command and its report, over the command clips of the measurement set.
# The end of speech is where the clip's trailing silence (below 0.5% of full
# scale) begins. The engine decides once the closing silence has been heard;
# the decoding itself then adds its CPU time, printed per clip beside it.
set -euo pipefail
hear=$1
dir=${2:-${TMPDIR:-/tmp}/quillmere-measure}
here=$(cd "$(dirname "$0")/../../tests/audio" && pwd)
"$here/make_set.sh" "$dir" 2> /dev/null
while IFS= read -r p; do printf '<start>=%s\r\n' "$p"; done < "$here/phrases.txt" > "$dir/words.txt"
clips=("$dir"/cmd_*.wav)
TIMEFORMAT='%U %S'
{ time "$hear" "$dir/words.txt" "${clips[@]}" > "$dir/latency.tsv" ; } 2> "$dir/latency-cpu.txt"
while IFS=$'\t' read -r f ms _; do
    sox "$f" "$dir/trimmed.wav" reverse silence 1 0.005 0.5% reverse
    end=$(( $(soxi -s "$dir/trimmed.wav") / 16 ))
    echo $((ms - end))
done < "$dir/latency.tsv" | sort -n | awk '{v[NR]=$1} END{printf "median latency %d ms over %d reports (min %d, max %d)\n", v[int((NR+1)/2)], NR, v[1], v[NR]}'
read -r user sys < "$dir/latency-cpu.txt"
awk -v u="$user" -v s="$sys" -v n="${#clips[@]}" 'BEGIN {printf "decoding: %.0f ms of CPU per clip (%d clips, model loading included)\n", (u + s) * 1000 / n, n}'
