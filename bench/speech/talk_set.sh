#!/bin/bash
# talk_set.sh DIR — continuous talk for the false-command benchmark: espeak-ng
# reads long licence texts straight through, no pauses left for commands,
# with a different voice and speed for each text (over an hour in all).
# Writes DIR/talk_<text>.wav (16 kHz mono 16-bit); existing files are kept.
set -euo pipefail
dir=$1
mkdir -p "$dir"
texts=/usr/share/common-licenses
# text voice words-per-minute
set_list=(
    "GPL-3 en-us 170"
    "Apache-2.0 en-gb+m3 155"
    "MPL-2.0 en-us+f3 185"
    "GFDL-1.3 en-gb-x-rp+m7 175"
)
for entry in "${set_list[@]}"; do
    read -r name voice speed <<< "$entry"
    out="$dir/talk_$name.wav"
    [ -f "$out" ] && continue
    espeak-ng -v "$voice" -s "$speed" -f "$texts/$name" -w "$dir/raw_$name.wav"
    sox -R -q "$dir/raw_$name.wav" -r 16000 -c 1 -b 16 "$out" gain -n -3
    rm -f "$dir/raw_$name.wav"
done
