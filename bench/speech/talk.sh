#!/bin/bash
# talk.sh QUILLMERE_HEAR [DIR] — false commands in continuous talk: the
# 30-phrase test vocabulary listens to over an hour of espeak-ng reading
# licence texts (talk_set.sh builds it into DIR once). Prints every phrase
# heard, false commands per hour, and the CPU real-time factor (CPU time
# over audio time).
set -euo pipefail
hear=$1
dir=${2:-${TMPDIR:-/tmp}/quillmere-talk}
here=$(cd "$(dirname "$0")" && pwd)
phrases=$here/../../tests/audio/phrases.txt
"$here/talk_set.sh" "$dir"
while IFS= read -r p; do printf '<start>=%s\r\n' "$p"; done < "$phrases" > "$dir/words.txt"
seconds=0
for f in "$dir"/talk_*.wav; do seconds=$(( seconds + $(soxi -s "$f") / 16000 )); done
TIMEFORMAT='%U %S'
{ time "$hear" "$dir/words.txt" "$dir"/talk_*.wav > "$dir/heard.tsv" ; } 2> "$dir/cpu.txt"
cat "$dir/heard.tsv"
n=$(wc -l < "$dir/heard.tsv")
read -r user sys < "$dir/cpu.txt"
awk -v s="$seconds" -v n="$n" -v cpu="$(awk -v u="$user" -v y="$sys" 'BEGIN {print u + y}')" 'BEGIN {
    printf "audio %.1f min, %d false commands = %.2f per hour\n", s / 60, n, n / (s / 3600)
    printf "CPU %.1f s, real-time factor %.4f\n", cpu, cpu / s
}'
