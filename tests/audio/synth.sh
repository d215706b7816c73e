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

# with_noise IN.wav SNR_DB OUT.wav — IN with steady white noise SNR_DB below
# the level of its speech (measured without the silence around it).
with_noise() {
    local in=$1 snr=$2 out=$3 trimmed="${3%.wav}.trim.wav" rms amp
    sox -q "$in" "$trimmed" silence 1 0.01 0.5% reverse silence 1 0.01 0.5% reverse
    rms=$(sox "$trimmed" -n stat 2>&1 | awk '/RMS +amplitude/ {print $3}')
    rm -f "$trimmed"
    # Uniform white noise of peak A has an RMS of A / sqrt(3).
    amp=$(awk -v r="$rms" -v s="$snr" 'BEGIN {printf "%.6f", r / 10 ^ (s / 20) * sqrt(3)}')
    sox -q -m -v 1 "$in" -v 1 <(sox -R -q "$in" -t wav - synth whitenoise vol "$amp" 2>/dev/null) -b 16 "$out"
}
