#!/bin/sh
# Makes the Wine prefix for the program's cases afresh: a new prefix through
# the shared runner, Wine's own fonts in its Fonts folder (Debian ships them
# apart, in fonts-wine, and this Wine does not look for them there: without
# them "MS Shell Dlg" and every other face fall back to DejaVu Sans, wider
# than any font the windows were drawn for), then two settings for a display
# without a window manager
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
fonts=/usr/share/wine/fonts
[ -f "$fonts/tahoma.ttf" ] || { echo "make-prefix: no $fonts/tahoma.ttf (Debian: fonts-wine)" >&2; exit 2; }
cp "$fonts"/*.ttf "$fonts"/*.fon "$prefix/drive_c/windows/Fonts/"
QM_WINEPREFIX="$prefix" sh "$runner" "$prefix/drive_c/windows/system32/reg.exe" \
    add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f
QM_WINEPREFIX="$prefix" sh "$runner" "$prefix/drive_c/windows/system32/reg.exe" \
    add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
