#!/bin/bash
# The real program hears speech under Wine. A private PulseAudio server with a
# null sink stands for the room: its monitor is the default recording device
# of the Wine prefix (winepulse), and espeak-ng's speech is played into the
# sink when the driver asks for it. The program is the one users download:
# quillmere-windows.zip, unpacked into the prefix's C: drive.
#
#   listen-test.sh RUNNER DRIVER.exe DOWNLOAD.zip PREFIX CASE
set -uo pipefail
runner=$1 driver=$2 zip=$3 prefix=$4 case=$5
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../audio/synth.sh"
set +e

work=$(mktemp -d "${TMPDIR:-/tmp}/qm-listen.XXXXXX")
pulse_pid=""
cleanup() {
    stop_room
    rm -rf "$work"
}
trap cleanup EXIT
die() { echo "listen-test: $*" >&2; exit 1; }

# --- The room: a PulseAudio server of this test alone. The mic-lost case
# stops it and starts it again under the program.
export XDG_RUNTIME_DIR="$work/run" PULSE_RUNTIME_PATH="$work/run/pulse"
export PULSE_SERVER="unix:$work/pulse.sock"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
start_room() {
    pulseaudio --daemonize=no -n --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
        --load="module-native-protocol-unix socket=$work/pulse.sock auth-anonymous=1" \
        --load="module-null-sink sink_name=qm_room" \
        --log-target=file:"$work/pulse.log" >/dev/null 2>&1 &
    pulse_pid=$!
    for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.2; done
    pactl info >/dev/null 2>&1 || die "PulseAudio did not start: $(tail -n 3 "$work/pulse.log")"
    pactl set-default-sink qm_room && pactl set-default-source qm_room.monitor || die "cannot make the null sink the default"
}
stop_room() {
    [ -n "$pulse_pid" ] && kill "$pulse_pid" 2>/dev/null && wait "$pulse_pid" 2>/dev/null
    pulse_pid=""
}
start_room

# --- What is said.
say en-us 150 "next track" "$work/next-track.wav"
say en-us 150 "say hello" "$work/say-hello.wav"
say en-us 150 "the weather is nice today" "$work/out-of-vocabulary.wav"

# --- The download, unpacked as a user would.
rm -rf "$prefix/drive_c/quillmere"
cmake -E chdir "$prefix/drive_c" cmake -E tar xf "$zip" || die "cannot unpack $zip"
program="$prefix/drive_c/quillmere/quillmere.exe"
[ -f "$program" ] || die "the download holds no quillmere/quillmere.exe"

mkdir -p "$work/shared"
QM_WINEPREFIX="$prefix" sh "$runner" "$driver" "$case" "$program" "$work/shared" >"$work/driver.log" 2>&1 &
driver_pid=$!
while kill -0 "$driver_pid" 2>/dev/null; do
    for request in "$work/shared"/*.say; do
        [ -e "$request" ] || continue
        name=$(basename "$request" .say)
        rm -f "$request"
        case $name in
        lose-microphone) stop_room ;;
        restore-microphone)
            start_room
            # Back once the program records from the new server again.
            for _ in $(seq 150); do
                [ -n "$(pactl list short source-outputs 2>/dev/null)" ] && break
                sleep 0.2
            done
            [ -n "$(pactl list short source-outputs 2>/dev/null)" ] ||
                echo "listen-test: the program did not open the microphone again within 30 s" >&2
            ;;
        *) paplay --device=qm_room "$work/$name.wav" || echo "listen-test: paplay failed for $name" >&2 ;;
        esac
        touch "$work/shared/$name.said"
    done
    sleep 0.1
done
wait "$driver_pid"
rc=$?
grep -v '^ALSA lib' "$work/driver.log"
# The driver starts the program with --verbose here; its log reaches ours.
if [ "$case" = hears-commands ]; then
    for line in 'listening with the built-in engine' 'heard "next track"' 'heard "say hello"'; do
        grep -qF "$line" "$work/driver.log" || { echo "FAIL: --verbose did not say: $line"; rc=1; }
    done
fi
exit "$rc"
