#!/usr/bin/env bash
# Whole-program figures for the Linux desktop program under Xvfb:
#  - time from process start until the main window is first exposed, with a
#    word list of 30 entries and of 32,767 (the most a list holds);
#  - resident memory (VmRSS) once started, idle and listening.
# Runs the test build (quillmere-test), which is quillmere plus one line on
# stdout when the main window is exposed; its engine is the shipped one.
#   bench/gui/startup.sh [BUILD_DIR] [RUNS]     (default build/linux-release, 5)
# With QM_BENCH_NO_ENGINE=1 the phrases come from an idle FIFO instead of the
# speech engine: the same program without the engine's share.
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/linux-release}
runs=${2:-5}
program=$build/tests/gui/quillmere-test
[ -x "$program" ] || { echo "no $program: cmake --preset linux-release && cmake --build --preset linux-release"; exit 2; }
source "$root/tests/gui/xvfb_session.sh"

qm_start_xvfb >/dev/null
qm_start_tray >/dev/null
qm_start_pulse >/dev/null
engine="the live engine"
if [ "${QM_BENCH_NO_ENGINE:-}" = 1 ]; then
  export QM_TEST_PHRASES=$QM_TMP/idle-fifo
  mkfifo "$QM_TEST_PHRASES"
  engine="no speech engine"
fi

# N entries whose phrases are real words, so the engine's grammar holds them all:
# three words of a 32-word list give 32,768 different phrases.
words=(alpha bravo charlie delta echo golf hotel india kilo lima mike oscar papa quebec romeo sierra
  tango victor whiskey yankee zulu red green blue black white orange purple yellow silver brown pink)
store() {
  local n=$1 dir=$XDG_DATA_HOME/quillmere i
  {
    printf '[Grammer]\r\ntype=cfg\r\n[<start>]\r\n'
    for ((i = 0; i < n; i++)); do
      printf '<start>=%s %s %s\r\n' "${words[i / 1024 % 32]}" "${words[i / 32 % 32]}" "${words[i % 32]}"
    done
    printf '\r\n'
  } >"$dir/words.txt"
  awk -v n="$n" 'BEGIN { for (i = 0; i < n; i++) printf "/usr/bin/true\r\n\r\n" }' >"$dir/dirs.txt"
  awk -v n="$n" 'BEGIN { for (i = 0; i < n; i++) printf "Open\r\n\r\n" }' >"$dir/desc.txt"
}

kb() { sed -n "s/^$1:[[:space:]]*\([0-9]*\) kB/\1/p" "/proc/$2/status"; }

# One start: prints "<ms to exposed> <VmRSS kB after 3 s idle> <VmHWM kB>".
one_run() {
  local start ns pid
  start=$(date +%s%N)
  qm_start_app "$program" >/dev/null
  pid=$QM_APP_PID
  qm_wait 300 grep -q '^QM_EXPOSED' "$QM_APP_LOG" || qm_fail "the main window was never exposed"
  ns=$(sed -n 's/^QM_EXPOSED //p' "$QM_APP_LOG" | head -n 1)
  [ -z "$(qm_app_windows "Quillmere Voice Command")" ] || qm_fail "a message box opened at start-up"
  sleep 3
  echo "$(((ns - start) / 1000000)) $(kb VmRSS "$pid") $(kb VmHWM "$pid")"
  kill "$pid"
  wait "$pid" 2>/dev/null
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

echo "program: $program, $engine ($runs runs each, Xvfb $DISPLAY, trayer, PulseAudio null sink)"
printf '%-8s %-28s %-22s %s\n' entries "start to shown, ms (median)" "VmRSS idle, kB (med.)" "all runs: ms/RSS kB"
for n in 30 32767; do
  store "$n"
  results=()
  for ((r = 0; r < runs; r++)); do
    # one_run runs in a subshell, so its failure shows only as output that is
    # not three numbers; a blank must never enter the median.
    result=$(one_run)
    [[ $result =~ ^[0-9]+\ [0-9]+\ [0-9]+$ ]] || { echo "run $((r + 1)) with $n entries failed: ${result:-no output}" >&2; exit 1; }
    results+=("$result")
  done
  ms=$(printf '%s\n' "${results[@]}" | cut -d' ' -f1 | median)
  rss=$(printf '%s\n' "${results[@]}" | cut -d' ' -f2 | median)
  all=$(printf '%s\n' "${results[@]}" | awk '{ printf "%s/%s ", $1, $2 }')
  printf '%-8s %-28s %-22s %s\n' "$n" "$ms" "$rss" "$all"
done
