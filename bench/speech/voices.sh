#!/bin/bash
# voices.sh QUILLMERE_SPEECH_SCORE DIR [espeak|flite] — the measurement set
# heard the way one speaker uses the program: each voice by a decoder of its
# own, its commands, near misses and other sentences in a shuffled (fixed)
# order, so that the decoder learns the voice as it goes. Prints commands
# heard exactly, and near misses (tuning part, held-out part) and other
# sentences that ran a command. "espeak" scores the set of
# tests/audio/make_set.sh in DIR; "flite" makes and scores the same
# sentences in flite's four voices (made from recordings of people, which
# the acoustic model fits far better), at two speeds for the commands.
set -euo pipefail
score=$1 dir=$2 kind=${3:-espeak}
here=$(cd "$(dirname "$0")/../../tests/audio" && pwd)
mkdir -p "$dir"
if [ "$kind" = flite ]; then
    voices=(kal16 awb rms slt)
    fsay() {  # VOICE STRETCH TEXT OUT
        flite -voice "$1" --setf duration_stretch="$2" -t "$3" -o "$dir/raw.wav"
        sox -R -q "$dir/raw.wav" -r 16000 -c 1 -b 16 "$4" gain -n -3 pad 0.4 0.8
    }
    : > "$dir/cmd.tsv"
    n=0
    while IFS= read -r p; do
        [ -n "$p" ] || continue
        for v in "${voices[@]}"; do
            for s in 1.0 0.85; do
                f=$dir/cmd_${n}_${v}_$s.wav
                [ -f "$f" ] || fsay "$v" "$s" "$p" "$f"
                printf '%s\t%s\n' "$f" "$p" >> "$dir/cmd.tsv"
            done
        done
        n=$((n + 1))
    done < "$here/phrases.txt"
    for list in oov:oov near_tune:nearT near_held:nearH; do
        n=0
        while IFS= read -r p; do
            [ -n "$p" ] || continue
            for v in "${voices[@]}"; do
                f=$dir/${list#*:}_${n}_${v}.wav
                [ -f "$f" ] || fsay "$v" 1.0 "$p" "$f"
            done
            n=$((n + 1))
        done < "$here/${list%:*}.txt"
    done
    rm -f "$dir/raw.wav"
else
    voices=(en-us en-us_f2 en-us_f3 en-us_m3 en-us_m7 en-gb)
    "$here/make_set.sh" "$dir" 2> /dev/null
fi
for v in "${voices[@]}"; do
    mapfile -t clips < <(ls "$dir"/*.wav | grep -E "/(cmd|nearT|nearH|oov)_[0-9]+_${v}(_[0-9.]+)?\.wav$" |
        shuf --random-source=<(yes 42))
    "$score" "$here/phrases.txt" "${clips[@]}" 2> /dev/null
done | awk -F'\t' '
    FILENAME != "-" { w = tolower($2); gsub(/[^a-z0-9 ]/, "", w); want[$1] = w; next }
    { f = $1; if (!(f in seen)) { seen[f] = 1; order[++nf] = f }
      got = tolower($9); gsub(/[^a-z0-9 ]/, "", got)
      if ($3 == 1) { acc[f]++; if (got == want[f]) right[f] = 1 } }
    END { for (i = 1; i <= nf; i++) { f = order[i]; c = f; sub(/.*\//, "", c); sub(/_.*/, "", c)
              tot[c]++; if (c == "cmd") { if (right[f] && acc[f] == 1) n[c]++ } else if (acc[f]) n[c]++ }
          printf "commands heard exactly %d of %d; ran a command: near misses %d of %d (tuning), %d of %d (held out), other sentences %d of %d\n",
                 n["cmd"], tot["cmd"], n["nearT"], tot["nearT"], n["nearH"], tot["nearH"], n["oov"], tot["oov"] }' "$dir/cmd.tsv" -
