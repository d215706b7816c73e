#!/bin/bash
# measure.sh QUILLMERE_HEAR [DIR] — rejection figures on the synthetic set
# (make_set.sh): the share of command clips reported exactly as their
# phrase and nothing else, and the share of out-of-vocabulary and noise
# clips that produce any report. Not a test: it prints figures.
set -euo pipefail
hear=$1
dir=${2:-${TMPDIR:-/tmp}/quillmere-measure}
here=$(cd "$(dirname "$0")" && pwd)
"$here/make_set.sh" "$dir" 2> /dev/null
{
    while IFS= read -r p; do printf '<start>=%s\r\n' "$p"; done < "$here/phrases.txt"
} > "$dir/words.txt"
"$hear" "$dir/words.txt" "$dir"/cmd_*.wav "$dir"/oov_*.wav "$dir"/noise_*.wav > "$dir/heard.tsv"
awk -F'\t' -v cmdtsv="$dir/cmd.tsv" -v dir="$dir" '
BEGIN {
    while ((getline l < cmdtsv) > 0) { split(l, a, "\t"); want[a[1]] = a[2]; ncmd++ }
}
{ n[$1]++; got[$1] = $3 }
END {
    for (f in want) if (n[f] == 1 && got[f] == want[f]) ok++
    cmd = "ls " dir "/oov_*.wav " dir "/noise_*.wav"
    while ((cmd | getline f) > 0) { nneg++; if (n[f] > 0) fired++; if (f ~ /noise_/) { nn++; if (n[f] > 0) nf++ } }
    printf "commands reported exactly: %d/%d = %.1f%%\n", ok, ncmd, 100 * ok / ncmd
    printf "out-of-vocabulary + noise producing a report: %d/%d = %.1f%% (noise alone %d/%d)\n", fired, nneg, 100 * fired / nneg, nf, nn
}' "$dir/heard.tsv"
