#!/bin/bash
# stream.sh OUT.wav — a minute-long listening stream for the real-time
# factor benchmark: commands, other talk and noise separated by pauses.
set -euo pipefail
here=$(cd "$(dirname "$0")/../../tests/audio" && pwd)
source "$here/synth.sh"
out=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
parts=()
i=0
while IFS= read -r p; do
    say en-us 165 "$p" "$work/c$i.wav"; parts+=("$work/c$i.wav")
    silence 1.5 "$work/s$i.wav"; parts+=("$work/s$i.wav")
    i=$((i + 1))
done < "$here/phrases.txt"
sox "${parts[@]}" "$out"
