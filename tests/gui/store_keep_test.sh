#!/usr/bin/env bash
# The real program under Xvfb, started on store files that it cannot take in
# whole, then closed with its close box (Alt+F4 through the window manager).
# Every byte of the old files must still exist afterwards, in the store file
# itself or in a backup beside it.
#   store_keep_test.sh PROGRAM GRAB_TOOL ARTIFACT_DIR
# Cases:
#   too-many   words.txt, dirs.txt and desc.txt with 32,768 entries, one too many
#   no-desc    desc.txt missing at start-up
#   desc-gone  desc.txt a link to a file that is gone, so that it cannot be read
#   lf-ends    all three files with LF line ends, as a Unix editor leaves them
#   hand-edit  an entry added by hand while the program runs survives the close
#   pipe       words.txt a named pipe: the start-up says so instead of hanging
program=$1 grab=$2 artifacts=$3
source "$(dirname "$0")/xvfb_session.sh"
mkdir -p "$artifacts"
store=$XDG_DATA_HOME/quillmere
box_title="Quillmere Voice Command"
main_title="Quillmere Voice Vuredizara Program"

qm_start_xvfb
# The close box needs a window manager; start one unless the session has.
if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
  qm_need openbox
  openbox --sm-disable >"$QM_TMP/openbox.log" 2>&1 &
  QM_PIDS+=($!)
  qm_wait 20 eval "xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'" ||
    qm_fail "openbox did not start"
fi
qm_start_pulse

boxes_seen=()
failures=()
# A case that fails is noted and the next case still runs.
case_fail() {
  echo "FAIL: $case: $*" >&2
  failures+=("$case")
}

# Answers every message box of the program that is open now with Return.
answer_boxes() {
  local box
  for box in $(qm_app_windows "$box_title"); do
    boxes_seen+=("$box")
    sleep 0.5 # let it paint
    # The box is what the user sees: above the program's topmost main window.
    top=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*, //; s/.*# //')
    qm_app_windows "$box_title" | grep -qx "$((top))" ||
      case_fail "a message box opened under another window ($top is on top of $box)"
    "$grab" "$box" "$artifacts/store-keep-$case-box-${#boxes_seen[@]}.png" >/dev/null 2>&1
    xdotool windowactivate --sync "$box" 2>/dev/null
    xdotool key --clearmodifiers Return
    sleep 0.3
  done
}

# Starts the program, answers start-up boxes, closes the main window and
# answers the boxes of the close until the program has ended.
run_and_close() {
  local while_open=${1:-}
  qm_start_app "$program"
  local main="" end=$((SECONDS + 90))
  while [ -z "$main" ] && [ "$SECONDS" -lt "$end" ]; do
    qm_app_running || qm_fail "$case: the program ended at start-up"
    answer_boxes
    main=$(qm_app_windows "$main_title" | head -n 1)
    sleep 0.2
  done
  [ -n "$main" ] || qm_fail "$case: the main window did not appear"
  sleep 0.5
  answer_boxes
  start_boxes=${#boxes_seen[@]}
  [ -z "$while_open" ] || $while_open
  "$grab" "$main" "$artifacts/store-keep-$case-main.png" >/dev/null 2>&1
  xdotool windowactivate --sync "$main" 2>/dev/null
  xdotool key --clearmodifiers alt+F4
  end=$((SECONDS + 60))
  while qm_app_running && [ "$SECONDS" -lt "$end" ]; do
    answer_boxes
    sleep 0.2
  done
  qm_app_running && qm_fail "$case: closing the main window did not end the program"
  close_boxes=$((${#boxes_seen[@]} - start_boxes))
  qm_log "$case: $start_boxes message box(es) at start-up, $close_boxes at close"
}

# kept FILE_WITH_OLD_BYTES: some file in the store folder holds exactly them.
kept() {
  local old=$1 f
  for f in "$store"/*; do
    cmp -s "$old" "$f" && { echo "$(basename "$f")"; return 0; }
  done
  return 1
}

check_kept() {
  local name where
  for name in words.txt dirs.txt desc.txt; do
    [ -e "$QM_TMP/old/$name" ] || continue
    [ -s "$QM_TMP/old/$name" ] || continue
    if where=$(kept "$QM_TMP/old/$name"); then
      qm_log "$case: the old $name is kept as $where"
    else
      ls -la "$store" >&2
      case_fail "the old bytes of $name ($(stat -c %s "$QM_TMP/old/$name") bytes) are gone"
    fi
  done
}

# A fresh store for each case; the old files are copied aside first.
fresh() {
  case=$1
  rm -rf "$store" "$QM_TMP/old"
  mkdir -p "$store" "$QM_TMP/old"
  boxes_seen=()
}
remember() { cp -p "$store"/*.txt "$QM_TMP/old/" 2>/dev/null || true; }

# ---------------------------------------------------------------- too-many
fresh too-many
awk -v n=32768 'BEGIN {
  printf "[Grammer]\r\ntype=cfg\r\n[<start>]\r\n" > "'"$store"'/words.txt"
  for (i = 0; i < n; i++) {
    printf "<start>=phrase %d\r\n", i > "'"$store"'/words.txt"
    printf "C:\\target %d\r\n\r\n", i > "'"$store"'/dirs.txt"
    printf "Open\r\n\r\n" > "'"$store"'/desc.txt"
  }
  printf "\r\n" > "'"$store"'/words.txt"
}'
remember
run_and_close
check_kept
[ "$start_boxes" -ge 1 ] || case_fail "the start-up did not say that the word list could not be read"
[ "$close_boxes" -ge 1 ] || case_fail "the close did not name the backups"

# ---------------------------------------------------------------- no-desc
fresh no-desc
qm_store "open the notes|/nonexistent/notes|Open" "good morning|Rise and shine|Message Prompt" \
  "next song|String holder|Next Track"
rm "$store/desc.txt"
remember
run_and_close
check_kept
[ "$close_boxes" -ge 1 ] || case_fail "the close did not name the backups"

# ---------------------------------------------------------------- desc-gone
fresh desc-gone
qm_store "open the notes|/nonexistent/notes|Open" "good morning|Rise and shine|Message Prompt" \
  "next song|String holder|Next Track"
remember
rm "$QM_TMP/old/desc.txt" "$store/desc.txt"
mkdir -p "$QM_TMP/moved-away"
ln -s "$QM_TMP/moved-away/desc.txt" "$store/desc.txt"
run_and_close
check_kept
[ "$start_boxes" -ge 1 ] || case_fail "the start-up did not say that desc.txt could not be read"
# The program keeps working: the save went through and the link works again.
[ -L "$store/desc.txt" ] && [ -f "$QM_TMP/moved-away/desc.txt" ] ||
  case_fail "the save did not make the link's target anew"

# ---------------------------------------------------------------- lf-ends
fresh lf-ends
qm_store "open the notes|/nonexistent/notes|Open" "good morning|Rise and shine|Message Prompt" \
  "next song|String holder|Next Track"
cp "$store"/*.txt "$QM_TMP/"
for f in "$store"/*.txt; do sed -i 's/\r$//' "$f"; done
remember
run_and_close
[ "$close_boxes" -eq 0 ] || case_fail "a file with LF line ends was not read cleanly"
# The same table comes back, written with CR LF as the program writes it.
lf_ok=1
for name in words.txt dirs.txt desc.txt; do
  cmp -s "$QM_TMP/$name" "$store/$name" || {
    lf_ok=0
    case_fail "$name does not hold the three entries: $(od -c "$store/$name" | head -3)"
  }
done
[ "$lf_ok" = 1 ] && qm_log "lf-ends: the three entries were read and saved back"

# ---------------------------------------------------------------- hand-edit
fresh hand-edit
qm_store "open the notes|/nonexistent/notes|Open" "good morning|Rise and shine|Message Prompt"
hand_edit() {
  # Another editor saves each file anew, LF line ends and all.
  local f
  for f in words dirs desc; do
    tr -d '\r' <"$store/$f.txt" >"$QM_TMP/$f.new"
  done
  printf '<start>=typed by hand\n' >>"$QM_TMP/words.new"
  printf 'Hello from an editor\n' >>"$QM_TMP/dirs.new"
  printf 'Message Prompt\n' >>"$QM_TMP/desc.new"
  for f in words dirs desc; do mv "$QM_TMP/$f.new" "$store/$f.txt"; done
}
run_and_close hand_edit
if grep -q '^<start>=typed by hand' "$store/words.txt" && grep -q '^Hello from an editor' "$store/dirs.txt" &&
  [ "$(grep -c '^Message Prompt' "$store/desc.txt")" = 2 ]; then
  qm_log "hand-edit: the entry added by hand is still there"
else
  case_fail "the entry added by hand was saved over: $(od -c "$store/words.txt" | tail -4)"
fi
[ "$close_boxes" -eq 0 ] || case_fail "the hand edit read cleanly, yet the close showed a message"

# ---------------------------------------------------------------- pipe
fresh pipe
qm_store "open the notes|/nonexistent/notes|Open"
remember
rm "$store/words.txt" "$QM_TMP/old/words.txt"
mkfifo "$store/words.txt"
run_and_close
check_kept
[ "$start_boxes" -ge 1 ] || case_fail "the start-up did not say that words.txt is a pipe"

[ ${#failures[@]} -eq 0 ] || qm_fail "cases that lost bytes: ${failures[*]}"
qm_log "pass"
