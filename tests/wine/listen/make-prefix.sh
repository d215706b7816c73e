#!/bin/sh
# A fresh prefix for the listening cases: the program cases' prefix, with
# PulseAudio as Wine's sound driver, so that the recording device is the
# sound server's default source.
#
#   make-prefix.sh RUNNER PREFIX
set -eu
here=$(cd "$(dirname "$0")" && pwd)
sh "$here/../app/make-prefix.sh" "$1" "$2"
QM_WINEPREFIX="$2" sh "$1" "$2/drive_c/windows/system32/reg.exe" \
    add 'HKCU\Software\Wine\Drivers' /v Audio /t REG_SZ /d pulse /f
