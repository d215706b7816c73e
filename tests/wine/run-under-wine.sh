#!/bin/sh
# Runs one Windows test program under Wine and exits with its exit code.
#
#   run-under-wine.sh --prepare            create the Wine prefix, if needed
#   run-under-wine.sh PROGRAM.exe [ARG...]  run a program in it
#
# Environment:
#   QM_WINEPREFIX     the prefix to use (required; the build keeps its own)
#   QM_WINE_TIMEOUT   seconds before the program is killed (default 240)
#   DISPLAY           used when set; otherwise a private Xvfb is started
#   QM_WINE_SCREEN    the private Xvfb's screen (default 1024x768x24)
#
# The prefix is created once with wineboot and reused: creating one takes
# several seconds, starting a program in a ready one about one. A stamp file
# marks a finished prefix, so a half-made one (an interrupted first run) is
# thrown away and made again. A lock keeps parallel test runs from creating
# it twice.
set -eu

die() { echo "run-under-wine: $*" >&2; exit 2; }

[ -n "${QM_WINEPREFIX:-}" ] || die "QM_WINEPREFIX is not set"
command -v wine >/dev/null 2>&1 || die "wine is not installed (Debian: wine, wine32:i386)"
command -v wineserver >/dev/null 2>&1 || die "wineserver is not on PATH"

export WINEPREFIX="$QM_WINEPREFIX"
# Our programs are 32-bit; a 32-bit prefix is smaller and quicker to make.
# Some kernels (sandboxes) refuse to start any 32-bit program, Wine's 32-bit
# loader included: there the prefix is 64-bit, Wine's 64-bit loader runs
# it, and only the 64-bit build of the programs can be tested.
export WINEARCH=win32
wine=wine
if ! wine --version >/dev/null 2>&1; then
    [ -x /usr/lib/wine/wine64 ] || die "wine cannot start here (Debian: wine, wine32:i386)"
    export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
    wine=/usr/lib/wine/wine64
fi
export WINEDEBUG=-all
# No Mono or Gecko: without this the first start offers to download them and
# waits for an answer that never comes.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
timeout_s="${QM_WINE_TIMEOUT:-240}"
stamp="$WINEPREFIX/.qm-prefix-ready"

prepare_prefix() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock -w 280 9 || die "timed out waiting for the lock on $WINEPREFIX"
        if [ ! -f "$stamp" ]; then
            rm -rf "$WINEPREFIX"
            # Made without a display: nothing of the prefix set-up needs one.
            if ! env -u DISPLAY timeout -k 10 240 "$wine" wineboot -i >"$WINEPREFIX.log" 2>&1; then
                cat "$WINEPREFIX.log" >&2
                die "wineboot could not create $WINEPREFIX"
            fi
            timeout -k 5 30 wineserver -w || true
            touch "$stamp"
        fi
    ) 9>"$WINEPREFIX.lock"
}

if [ "${1:-}" = "--prepare" ]; then
    prepare_prefix
    exit 0
fi
[ $# -ge 1 ] || die "usage: run-under-wine.sh PROGRAM.exe [ARG...] | --prepare"
[ -f "$1" ] || die "no such program: $1"
prepare_prefix

xvfb_pid=""
workdir="$(mktemp -d "${TMPDIR:-/tmp}/qm-wine.XXXXXX")"

cleanup() {
    # Wine's helper processes hold the display; end them before the display.
    timeout -k 5 20 wineserver -k >/dev/null 2>&1 || true
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$workdir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -z "${DISPLAY:-}" ]; then
    command -v Xvfb >/dev/null 2>&1 || die "DISPLAY is unset and Xvfb is not installed (Debian: xvfb)"
    # -displayfd lets the server pick a free display itself, so parallel runs
    # never race for the same number.
    Xvfb -displayfd 3 -nolisten tcp -screen 0 "${QM_WINE_SCREEN:-1024x768x24}" 3>"$workdir/display" >"$workdir/xvfb.log" 2>&1 &
    xvfb_pid=$!
    tries=0
    while [ ! -s "$workdir/display" ]; do
        kill -0 "$xvfb_pid" 2>/dev/null || { cat "$workdir/xvfb.log" >&2; die "Xvfb did not start"; }
        tries=$((tries + 1))
        [ "$tries" -le 200 ] || die "Xvfb did not report a display within 20 seconds"
        sleep 0.1
    done
    DISPLAY=":$(tr -d '[:space:]' <"$workdir/display")"
    export DISPLAY
fi

set +e
timeout -k 10 "$timeout_s" "$wine" "$@"
rc=$?
set -e
if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
    echo "run-under-wine: $1 was killed after ${timeout_s} seconds" >&2
fi
exit "$rc"
