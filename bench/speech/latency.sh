#!/bin/bash
# latency.sh QUILLMERE_HEAR — median delay between the end of a spoken
# command and its report, over the command clips of the measurement set.
# The end of speech is where the clip's trailing silence (below 0.5% of full
# scale) begins.
set -euo pipefail
hear=$1
dir=${2:-${TMPDIR:-/tmp}/quillmere-measure}
here=$(cd "$(dirname "$0")/../../tests/audio" && pwd)
"$here/make_set.sh" "$dir" 2> /dev/null
while IFS= read -r p; do printf '<start>=%s\r\n' "$p"; done < "$here/phrases.txt" > "$dir/words.txt"
"$hear" "$dir/words.txt" "$dir"/cmd_*.wav > "$dir/latency.tsv"
while IFS=$'\t' read -r f ms _; do
    sox "$f" "$dir/trimmed.wav" reverse silence 1 0.005 0.5% reverse
    end=$(( $(soxi -s "$dir/trimmed.wav") / 16 ))
    echo $((ms - end))
done < "$dir/latency.tsv" | sort -n | awk '{v[NR]=$1} END{printf "median latency %d ms over %d reports (min %d, max %d)\n", v[int((NR+1)/2)], NR, v[1], v[NR]}'
