#!/bin/bash
# Shared helpers for the audio tests and the rejection measurement: speech
# and noise clips synthesised on the spot, as 16 kHz mono 16-bit WAV.
set -euo pipefail

# say VOICE SPEED "TEXT" OUT.wav — speech with 0.4 s of silence before and
# 0.8 s after, the way a command arrives from a microphone.
say() {
    local voice=$1 speed=$2 text=$3 out=$4
    local raw="${out%.wav}.raw.wav"
    espeak-ng -v "$voice" -s "$speed" -w "$raw" "$text"
    sox -R -q "$raw" -r 16000 -c 1 -b 16 "$out" gain -n -3 pad 0.4 0.8
    rm -f "$raw"
}

# noise COLOUR SECONDS VOLUME OUT.wav — steady noise framed by silence.
noise() {
    local colour=$1 secs=$2 vol=$3 out=$4
    sox -R -q -n -r 16000 -c 1 -b 16 "$out" synth "$secs" "$colour" vol "$vol" pad 0.4 0.8
}

# silence SECONDS OUT.wav
silence() {
    sox -R -q -n -r 16000 -c 1 -b 16 "$2" trim 0 "$1"
}
