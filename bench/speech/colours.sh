#!/bin/bash
# colours.sh QUILLMERE_SPEECH_SCORE SET_DIR [NOISE] [SNR] — the measurement
# set's 150-wpm commands and out-of-vocabulary sentences (from
# tests/audio/make_set.sh SET_DIR) over sox's NOISE (pinknoise by default;
# brownnoise, whitenoise) at SNR dB (15) below the speech's RMS: how many
# commands ran their own command, how many ran another, and how many of the
# other sentences ran any. White noise rises with frequency, pink noise
# falls: it strays further from its floor in 10 ms, as a fan or traffic does.
set -euo pipefail
score=$1 set=$2 noise=${3:-pinknoise} snr=${4:-15}
here=$(cd "$(dirname "$0")/../../tests/audio" && pwd)
"$here/make_set.sh" "$set" 2> /dev/null
out=$set/${noise}_$snr
mkdir -p "$out"
for f in "$set"/cmd_*_150.wav "$set"/oov_*.wav; do
    o=$out/${f##*/}
    [ -f "$o" ] && continue
    sox -q "$f" "$out/t.wav" silence 1 0.01 0.5% reverse silence 1 0.01 0.5% reverse
    rms=$(sox "$out/t.wav" -n stat 2>&1 | awk '/RMS +amplitude/ {print $3}')
    sox -R -q "$f" "$out/n.wav" synth "$noise"
    nrms=$(sox "$out/n.wav" -n stat 2>&1 | awk '/RMS +amplitude/ {print $3}')
    vol=$(awk -v r="$rms" -v s="$snr" -v n="$nrms" 'BEGIN {printf "%.6f", r / 10 ^ (s / 20) / n}')
    sox -q -m -v 1 "$f" -v "$vol" "$out/n.wav" -b 16 "$o"
done
rm -f "$out/t.wav" "$out/n.wav"
"$score" "$here/phrases.txt" "$out"/*.wav 2> /dev/null | awk -F'\t' -v noise="$noise" -v snr="$snr" '
    FILENAME != "-" { w = $1; sub(/.*\//, "", w); want[w] = tolower($2); gsub(/[^a-z0-9 ]/, "", want[w]); next }
    { f = $1; sub(/.*\//, "", f); got = tolower($9); gsub(/[^a-z0-9 ]/, "", got)
      if (f ~ /^cmd_/) { if (!(f in c)) { c[f] = 1; nc++ } if ($3 == 1) { if (got == want[f]) ok++; else wrong++ } }
      else { if (!(f in o)) { o[f] = 1; no++ } if ($3 == 1 && !(f in fired)) { fired[f] = 1; nf++ } } }
    END { printf "%s at %s dB SNR: %d commands, %d ran their command, %d ran another; %d other sentences, %d ran a command\n",
                 noise, snr, nc, ok, wrong, no, nf }' "$set/cmd.tsv" -
