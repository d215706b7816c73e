#!/usr/bin/env bash
# The real program on a 1366x768 screen at one density: the user opens each
# window from the menus with the mouse and the keyboard, and every window,
# frame and title bar included, lies inside the work area. Each window's
# screenshot is saved, with the density in its name unless it is 96 DPI.
#   windows_test.sh PROGRAM GRAB_TOOL SHOTS_DIR DENSITY
# DENSITY is a DPI (96, 144, 192) or "scale2" for 96 DPI with QT_SCALE_FACTOR=2.
program=$1 QM_GRAB=$2 shots=$3 density=$4
source "$(dirname "$0")/xvfb_session.sh"
mkdir -p "$shots"

dpi=$density suffix=-${density}dpi
if [ "$density" = scale2 ]; then
  dpi=96 suffix=-scale2
  export QT_SCALE_FACTOR=2
fi
[ "$density" = 96 ] && suffix=
qm_start_xvfb 1366x768 "$dpi"
qm_start_tray # a desktop with a notification area: no start-up notice
qm_start_pulse
qm_store "open the notes|/home/me/notes.txt|Open" "good morning|Rise and shine|Message Prompt" \
  "next song|String holder|Next Track" "go away|String holder|Hide"
qm_start_app "$program"

read -r ax ay aw ah < <(qm_workarea)
qm_log "work area ${aw}x${ah}+$ax+$ay"
inside() { # WINDOW NAME
  local x y w h
  read -r x y w h < <(qm_frame_rect "$1")
  qm_log "$2: ${w}x$h+$x+$y"
  [ "$x" -ge "$ax" ] && [ "$y" -ge "$ay" ] && [ $((x + w)) -le $((ax + aw)) ] && [ $((y + h)) -le $((ay + ah)) ] ||
    qm_fail "$2 (${w}x$h+$x+$y) is not inside the work area (${aw}x$ah+$ax+$ay)"
}

main=$(qm_wait_window 90 "Quillmere Voice Vuredizara Program") || qm_fail "the main window did not appear"
# The menu bar's items, in the main window's pixels: Qt scales them with the density.
read -r _ _ mw _ < <(qm_frame_rect "$main")
menu_at() { # X_AT_96_DPI: clicks the menu bar there
  xdotool mousemove --window "$main" "$(awk -v x="$1" -v w="$mw" 'BEGIN { printf "%d", x * w / 657 }')" \
    "$(awk -v w="$mw" 'BEGIN { printf "%d", 10 * w / 657 }')" click 1
}
# open_from_menu X_AT_96_DPI DOWNS TITLE: the menu's item DOWNS rows down, then Return.
open_from_menu() {
  local before
  # The other windows may cover the menu bar: the user first brings the main
  # window to the front, as a task bar does.
  xdotool windowactivate --sync "$main" || qm_fail "the main window could not be activated"
  qm_wait 10 eval '[ "$(qm_focused)" = "$main" ]' ||
    qm_fail "the main window did not take the focus (focus: $(qm_focused), windows: $(qm_app_windows | tr '\n' ' '))"
  before=$(qm_app_windows | sort)
  menu_at "$1"
  qm_wait 10 eval '[ -n "$(comm -13 <(echo "$before") <(qm_app_windows | sort))" ]' || qm_fail "the menu did not open"
  xdotool key --delay 80 $(printf 'Down %.0s' $(seq "$2")) Return
  qm_wait_window 20 "$3" || qm_fail "\"$3\" did not open from the menu"
}
settle() { sleep 0.5; } # let a window paint before its screenshot

inside "$main" "the main window"
settle
qm_shot "$main" "$shots/main$suffix.png"

add=$(open_from_menu 16 1 "Add Word/Phrase") || exit 1
inside "$add" "the add window"
settle
qm_shot "$add" "$shots/add$suffix.png"

list=$(open_from_menu 16 2 "Words/Phrases List") || exit 1
inside "$list" "the word list window"
settle
qm_shot "$list" "$shots/word-list$suffix.png"

about=$(open_from_menu 50 1 "About") || exit 1
inside "$about" "the About window"
settle
qm_shot "$about" "$shots/about$suffix.png"

# Every window is still where it was checked, now that all are open.
for w in "$main" "$add" "$list" "$about"; do inside "$w" "window $w"; done
qm_app_running || qm_fail "the program ended"
qm_log "pass"
