#!/bin/sh
# Makes the Wine prefix for the program's cases afresh: a new prefix through
# the shared runner, then two settings for a display without a window manager
# (Xvfb runs none): Wine draws the window frames itself, or they stay black in
# the screenshot, and its windows are unmanaged, or every hiding of a shown
# window waits two seconds for a window manager's answer that never comes.
#
#   make-prefix.sh RUNNER PREFIX
set -eu
runner="$1"
prefix="$2"
rm -rf "$prefix" "$prefix.lock"
QM_WINEPREFIX="$prefix" sh "$runner" --prepare
QM_WINEPREFIX="$prefix" sh "$runner" "$prefix/drive_c/windows/system32/reg.exe" \
    add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f
QM_WINEPREFIX="$prefix" sh "$runner" "$prefix/drive_c/windows/system32/reg.exe" \
    add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
