#!/bin/bash
# measure.sh QUILLMERE_HEAR [DIR] — rejection figures on the synthetic set
# (make_set.sh), each clip on its own after a pause: the share of command
# clips reported exactly as their phrase and nothing else, and the share of
# other clips that produce any report: out-of-vocabulary sentences and noise,
# near-miss sentences (the tuning part and the held-out part apart), and with
# white noise at 15 dB SNR both commands and other sentences. Not a test: it
# prints figures.
set -euo pipefail
hear=$1
dir=${2:-${TMPDIR:-/tmp}/quillmere-measure}
here=$(cd "$(dirname "$0")" && pwd)
"$here/make_set.sh" "$dir" 2> /dev/null
{
    while IFS= read -r p; do printf '<start>=%s\r\n' "$p"; done < "$here/phrases.txt"
} > "$dir/words.txt"
(cd "$dir" && "$hear" words.txt cmd_*.wav oov_*.wav noise_*.wav nearT_*.wav nearH_*.wav wn_*.wav) > "$dir/heard.tsv"
awk -F'\t' -v dir="$dir" '
function base(f) { sub(".*/", "", f); return f }
BEGIN {
    while ((getline l < (dir "/cmd.tsv")) > 0) { split(l, a, "\t"); want[base(a[1])] = a[2] }
    while ((getline l < (dir "/wn.tsv")) > 0) { split(l, a, "\t"); want[base(a[1])] = a[2] }
}
{ n[$1]++; got[$1] = $3 }
function kind(f) {
    if (f ~ /^cmd_/) return "commands"
    if (f ~ /^wn_cmd_/) return "commands, 15 dB SNR"
    if (f ~ /^(oov|noise)_/) return "other sentences and noise"
    if (f ~ /^wn_oov_/) return "other sentences, 15 dB SNR"
    if (f ~ /^nearT_/) return "near misses, tuning part"
    if (f ~ /^nearH_/) return "near misses, held out"
    return ""
}
END {
    cmd = "cd " dir " && ls *.wav"
    while ((cmd | getline f) > 0) {
        k = kind(f); if (k == "") continue
        total[k]++
        if (f in want) { if (n[f] == 1 && got[f] == want[f]) hit[k]++ }
        else if (n[f] > 0) { hit[k]++; if (length(ex[k]) < 300) ex[k] = ex[k] " " f "=" got[f] }
    }
    split("commands|commands, 15 dB SNR", pos, "|")
    for (i in pos) printf "%s reported exactly: %d/%d = %.1f%%\n", pos[i], hit[pos[i]], total[pos[i]], 100 * hit[pos[i]] / total[pos[i]]
    split("other sentences and noise|other sentences, 15 dB SNR|near misses, tuning part|near misses, held out", neg, "|")
    for (i = 1; i <= 4; i++) printf "%s producing a report: %d/%d = %.1f%%%s\n", neg[i], hit[neg[i]], total[neg[i]], 100 * hit[neg[i]] / total[neg[i]], ex[neg[i]] ? " (" ex[neg[i]] " )" : ""
}' "$dir/heard.tsv"
