#!/bin/sh
# Checks the shape of a built Windows program without running it: 32-bit,
# the GUI subsystem, under 1 MB, and no DLL beyond those that Windows itself ships (the
# C++ runtime and the threads library are linked in, never shipped beside).
#
#   check-program.sh OBJDUMP PROGRAM.exe
set -eu
objdump="$1"
exe="$2"
headers=$("$objdump" -p "$exe")
status=0
echo "$headers" | grep -Eq '^Magic[[:space:]]+010b' || { echo "$exe is not a 32-bit (PE32) program"; status=1; }
echo "$headers" | grep -Eq '^Subsystem[[:space:]]+00000002' || { echo "$exe is not a GUI-subsystem program"; status=1; }
system="advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll shell32.dll user32.dll version.dll winmm.dll"
for dll in $(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z'); do
    echo "imports $dll"
    case " $system " in
    *" $dll "*) ;;
    *) echo "$exe needs $dll, which Windows does not ship"; status=1 ;;
    esac
done
# A download, not an installer: the program stays under a megabyte (the About
# picture is stored compressed).
size=$(wc -c < "$exe")
echo "size $size bytes"
[ "$size" -lt 1048576 ] || { echo "$exe is $size bytes, not under 1 MB"; status=1; }
exit $status
