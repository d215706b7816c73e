#!/bin/bash
# make_set.sh DIR — synthesises the rejection measurement set into DIR:
# cmd_*.wav (a phrase from phrases.txt; DIR/cmd.tsv maps file -> phrase),
# oov_*.wav (sentences from oov.txt), noise_*.wav, near-miss sentences that
# share words with a phrase (nearT_*.wav from near_tune.txt for tuning,
# nearH_*.wav from near_held.txt kept out of it), and noisy copies of the
# commands at one speed and of the other sentences, white noise at 15 dB
# SNR (wn_*.wav; DIR/wn.tsv maps command copies -> phrase).
# Existing files are kept.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/synth.sh"
dir=$1
mkdir -p "$dir"
voices=(en-us en-us+f2 en-us+f3 en-us+m3 en-us+m7 en-gb)
speeds=(150 185)
: > "$dir/cmd.tsv"
: > "$dir/wn.tsv"
n=0
while IFS= read -r phrase; do
    [ -n "$phrase" ] || continue
    for v in "${voices[@]}"; do
        for s in "${speeds[@]}"; do
            f="$dir/cmd_${n}_${v//+/_}_$s.wav"
            [ -f "$f" ] || say "$v" "$s" "$phrase" "$f"
            printf '%s\t%s\n' "$f" "$phrase" >> "$dir/cmd.tsv"
        done
        w="$dir/wn_cmd_${n}_${v//+/_}.wav"
        [ -f "$w" ] || with_noise "$dir/cmd_${n}_${v//+/_}_150.wav" 15 "$w"
        printf '%s\t%s\n' "$w" "$phrase" >> "$dir/wn.tsv"
    done
    n=$((n + 1))
done < "$here/phrases.txt"
sentences() {  # LIST PREFIX
    local n=0 sentence v f
    while IFS= read -r sentence; do
        [ -n "$sentence" ] || continue
        for v in "${voices[@]}"; do
            f="$dir/${2}_${n}_${v//+/_}.wav"
            [ -f "$f" ] || say "$v" 170 "$sentence" "$f"
        done
        n=$((n + 1))
    done < "$1"
}
sentences "$here/oov.txt" oov
sentences "$here/near_tune.txt" nearT
sentences "$here/near_held.txt" nearH
for f in "$dir"/oov_*.wav; do
    w="$dir/wn_$(basename "$f")"
    [ -f "$w" ] || with_noise "$f" 15 "$w"
done
for colour in whitenoise pinknoise brownnoise; do
    for vol in 0.02 0.05 0.1 0.3; do
        for secs in 0.6 1.5 3; do
            f="$dir/noise_${colour}_${vol}_$secs.wav"
            [ -f "$f" ] || noise "$colour" "$secs" "$vol" "$f"
        done
    done
done
