#!/usr/bin/env bash
# Measures the real window on a private X server and sound server (as the window check
# runs it), at the default settings. Results go to stdout; docs/performance.md keeps them.
#
#   pacing       a record replayed with ">>": the wall time from the click to the end of
#                the replay against the time its waits specify (dalumaster-cli replay
#                --timing gives that sum on the virtual clock)
#   idle CPU     CPU time of the window over 10 s while it waits for the user's key
#   first paint  from starting the process to the playfield picture on the screen (5 runs)
#   start-up     from starting the process to its window mapped on the screen, the program
#                and a minimal Qt Widgets program (build/tools/dalu_minwindow: a menu bar
#                and a 673 x 529 picture) in turns; and, from inside the program
#                (build/tools/dalu_startprobe), how long after the first-paint timer fires
#                the playfield is painted and handed to the X server
#   memory       resident memory (VmRSS) during a match between two computer levels
#
#   scripts/window-measure.sh [SEED]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
app=$root/build/DALU
tool=$root/build/tools/dalu_wincheck
out=$root/build/test-output/window-measure
seed=${1:-5}

if [ ! -x "$app/dalumaster" ] || [ ! -x "$tool" ]; then
  echo "window-measure: build/DALU/dalumaster or build/tools/dalu_wincheck is missing" >&2
  exit 1
fi
source scripts/window-env.sh
window_env_open
fail() {
  echo "window-measure: $*" >&2
  exit 1
}
now_ms() { echo $(($(date +%s%N) / 1000000)); }
ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

echo "machine: $(nproc) cores, $(sed -n 's/^model name[^:]*: //p' /proc/cpuinfo | head -n1)"

# ---- Pacing --------------------------------------------------------------------------------

mkdir -p "$WENV_DIR/cli/GameData"
"$work/dalumaster-cli" play 3 6 --seed "$seed" --appdir "$WENV_DIR/cli" >"$out/play.txt"
turns=$(sed -n 's/^turns: //p' "$out/play.txt")
record=$WENV_DIR/measure.DBD
cut_record "$WENV_DIR/cli/GameData/AutoSave.DBD" $((turns - 2)) >"$record"
paced=$("$work/dalumaster-cli" replay "$record" --timing --appdir "$WENV_DIR/cli" |
  sed -n 's/^paced: \([0-9]*\) ms$/\1/p')

start pacing "$record"
settle || true
t0=$(now_ms)
click 648 496  # ">>"
for _ in $(seq 12000); do
  case "$(title)" in *":replay") sleep 0.02 ;; *) break ;; esac
done
t1=$(now_ms)
wall=$((t1 - t0))
close_window
finish pacing
echo "pacing: $((turns - 2)) turns replayed with \">>\" in $wall ms; their waits specify $paced ms;" \
  "$(awk -v w="$wall" -v p="$paced" 'BEGIN { printf "%+.2f %%", 100 * (w - p) / p }')"

# ---- CPU while waiting for a key -------------------------------------------------------------

start idle
click 100 11
key Home Return  # the left side is the user
key ctrl+s
sleep 2
c0=$(cpu_ticks "$pid")
sleep 10
c1=$(cpu_ticks "$pid")
echo "idle CPU: $(awk -v t=$((c1 - c0)) -v hz="$ticks" 'BEGIN { printf "%.2f %%", 100 * t / hz / 10 }')" \
  "of one core over 10 s while waiting for the user's key ($((c1 - c0)) ticks of 1/$ticks s)"
close_window
finish idle

# ---- From process start to the first painted field -------------------------------------------

times=()
for run in 1 2 3 4 5; do
  since=$(date +%s%N)
  "$work/dalumaster" >"$out/first-$run.out" 2>"$out/first-$run.err" &
  pid=$!
  ms=$("$tool" first-field --since "$since" --appdir "$work" --origin 0,0 | sed -n 's/^first field: \([0-9]*\) ms$/\1/p')
  times+=("${ms:-none}")
  win=$(timeout 15 xdotool search --sync --onlyvisible --pid "$pid" --name "Dalu Master" | head -n1)
  close_window
  finish "first-$run"
done
echo "first paint: ${times[*]} ms (5 starts)"

# ---- Start-up: the window mapped, beside a minimal Qt program ---------------------------------

minwin=$root/build/tools/dalu_minwindow
probe=$root/build/tools/dalu_startprobe
[ -x "$minwin" ] && [ -x "$probe" ] || fail "build/tools/dalu_minwindow or dalu_startprobe is missing"
cp "$probe" "$work/"  # it finds the program directory from where it lies, as the program does

# mapped_once EXE: starts EXE, prints the milliseconds until its window is mapped, lets it
# settle and closes it.
mapped_once() {
  local res ms w p
  res=$("$tool" mapped "$1")
  ms=$(sed -n 's/^mapped: \([0-9.]*\) ms$/\1/p' <<<"$res")
  w=$(sed -n 's/^window: //p' <<<"$res")
  p=$(sed -n 's/^pid: //p' <<<"$res")
  sleep 1
  [ -n "$w" ] && "$tool" close "$w"
  for _ in $(seq 100); do
    kill -0 "$p" 2>/dev/null || break
    sleep 0.05
  done
  kill "$p" 2>/dev/null || true
  echo "${ms:-none}"
}
stats() { sort -n | awk '{ v[NR] = $1 } END { printf "median %.1f, max %.1f", (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2), v[NR] }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

mapped_ours=()
mapped_min=()
for run in $(seq 15); do
  # In turns, the order swapped every run: neither gains from a warm cache the other filled.
  if [ $((run % 2)) -eq 1 ]; then
    mapped_ours+=("$(mapped_once "$work/dalumaster")")
    mapped_min+=("$(mapped_once "$minwin")")
  else
    mapped_min+=("$(mapped_once "$minwin")")
    mapped_ours+=("$(mapped_once "$work/dalumaster")")
  fi
done
m_ours=$(printf '%s\n' "${mapped_ours[@]}" | median)
m_min=$(printf '%s\n' "${mapped_min[@]}" | median)
echo "window mapped: program ${mapped_ours[*]} ms ($(printf '%s\n' "${mapped_ours[@]}" | stats))"
echo "window mapped: minimal ${mapped_min[*]} ms ($(printf '%s\n' "${mapped_min[@]}" | stats))"
echo "window mapped: ratio of the medians $(awk -v a="$m_ours" -v b="$m_min" 'BEGIN { printf "%.2f", a / b }')"

after=()
for run in 1 2 3 4 5; do
  "$work/dalu_startprobe" >"$out/probe-$run.txt" 2>"$out/probe-$run.err" || true
  after+=("$(sed -n 's/^field flushed: +\([0-9.]*\) ms$/\1/p' "$out/probe-$run.txt")")
done
echo "first field: on the X server ${after[*]} ms after the first-paint timer fired" \
  "($(printf '%s\n' "${after[@]}" | stats))"

# ---- Resident memory during a match ----------------------------------------------------------

start memory
key ctrl+s  # "No Attack" against "Weaker Gutcha", the initial choice
peak=0
for _ in $(seq 20); do
  rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
  [ "$rss" -gt "$peak" ] && peak=$rss
  sleep 0.5
done
echo "memory: VmRSS up to $((peak / 1024)) MiB during 10 s of a match (No Attack against Weaker Gutcha)"
close_window
finish memory
