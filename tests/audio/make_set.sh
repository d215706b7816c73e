#!/bin/bash
# make_set.sh DIR — synthesises the rejection measurement set into DIR:
# cmd_*.wav (a phrase from phrases.txt; DIR/cmd.tsv maps file -> phrase),
# oov_*.wav (sentences from oov.txt) and noise_*.wav. Existing files are kept.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/synth.sh"
dir=$1
mkdir -p "$dir"
voices=(en-us en-us+f2 en-us+f3 en-us+m3 en-us+m7 en-gb)
speeds=(150 185)
: > "$dir/cmd.tsv"
n=0
while IFS= read -r phrase; do
    [ -n "$phrase" ] || continue
    for v in "${voices[@]}"; do
        for s in "${speeds[@]}"; do
            f="$dir/cmd_${n}_${v//+/_}_$s.wav"
            [ -f "$f" ] || say "$v" "$s" "$phrase" "$f"
            printf '%s\t%s\n' "$f" "$phrase" >> "$dir/cmd.tsv"
        done
    done
    n=$((n + 1))
done < "$here/phrases.txt"
n=0
while IFS= read -r sentence; do
    [ -n "$sentence" ] || continue
    for v in "${voices[@]}"; do
        f="$dir/oov_${n}_${v//+/_}.wav"
        [ -f "$f" ] || say "$v" 170 "$sentence" "$f"
    done
    n=$((n + 1))
done < "$here/oov.txt"
for colour in whitenoise pinknoise brownnoise; do
    for vol in 0.02 0.05 0.1 0.3; do
        for secs in 0.6 1.5 3; do
            f="$dir/noise_${colour}_${vol}_$secs.wav"
            [ -f "$f" ] || noise "$colour" "$secs" "$vol" "$f"
        done
    done
done
