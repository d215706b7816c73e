#!/bin/bash
# levels.sh QUILLMERE_SPEECH_SCORE [DIR] — every phrase of the 30-phrase test
# vocabulary in the live test's three voices, at a peak of -3 and -30 dBFS,
# over the live test's -60 dBFS (RMS) white noise floor, its frames shifted
# four ways: how many ran their own command, how many ran nothing, and how
# many ran another command. Each clip is scored on its own, with quiet
# before it, as the microphone would deliver it.
set -euo pipefail
score=$1
dir=${2:-${TMPDIR:-/tmp}/quillmere-levels}
phrases=$(cd "$(dirname "$0")/../../tests/audio" && pwd)/phrases.txt
mkdir -p "$dir"
[ -f "$dir/noise.wav" ] || sox -R -q -n -r 16000 -c 1 -b 16 "$dir/noise.wav" synth 6 whitenoise vol 0.001732
i=0
while IFS= read -r p; do
    for v in en-us en-gb+f3 en-us+m3; do
        for lv in 3 30; do
            for shift in 0 40 80 120; do
                out=$dir/p${i}_${v//+/_}_${lv}_$shift.wav
                [ -f "$out" ] && continue
                espeak-ng -v "$v" -s 160 -w "$dir/raw.wav" "$p"
                sox -R -q "$dir/raw.wav" -r 16000 -c 1 -b 16 "$dir/clip.wav" gain -n "-$lv" pad 1.5 1
                sox -R -q -m -v 1 "$dir/clip.wav" -v 1 "$dir/noise.wav" "$dir/mix.wav"
                sox -R -q "$dir/mix.wav" "$out" trim "${shift}s"
            done
        done
    done
    i=$((i + 1))
done < "$phrases"
# One line per clip: its phrase, then every phrase it ran.
for f in "$dir"/p*_*.wav; do
    n=${f##*/p}; n=${n%%_*}
    ran=$("$score" "$phrases" "$f" 2> /dev/null | awk -F'\t' '$3 == 1 {printf "%s|", $9}')
    printf '%s\t%s\t%s\n' "$(sed -n "$((n + 1))p" "$phrases")" "$ran" "${f##*/}"
done | awk -F'\t' '
    { want = tolower($1); gsub(/[^a-z0-9 ]/, "", want); lv = $3; sub(/_[0-9]+\.wav$/, "", lv); sub(/.*_/, "", lv)
      n = split($2, got, "|"); own = 0; other = 0
      for (k = 1; k < n; ++k) if (got[k] == want) own = 1; else other = 1
      tot[lv]++; if (other) { wrong[lv]++; print "  another command: " $3 " -> " $2 } else if (own) ok[lv]++; else none[lv]++ }
    END { for (lv in tot) printf "-%s dBFS: %d clips, %d ran their command, %d ran nothing, %d ran another\n", lv, tot[lv], ok[lv], none[lv], wrong[lv] }'
