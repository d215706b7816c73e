#!/bin/bash
# quillmere-hear.exe under Wine with the Linux quillmere-hear's face: the same
# arguments, exit code and output, so the audio scripts run either unchanged.
#
# Environment: QM_HEAR_EXE (the program), QM_WINEPREFIX (see run-under-wine.sh).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[ -n "${QM_HEAR_EXE:-}" ] || { echo "hear-under-wine: QM_HEAR_EXE is not set" >&2; exit 2; }
# The program writes text-mode lines, CR LF on Windows.
sh "$here/../run-under-wine.sh" "$QM_HEAR_EXE" "$@" 2> >(tr -d '\r' >&2) | tr -d '\r'
exit "${PIPESTATUS[0]}"
