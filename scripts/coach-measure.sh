#!/usr/bin/env bash
# Measures the coach in the real window (on a private X server, as the window check runs
# it), side by side in one run:
#
#   responsiveness  Ctrl+I shows the hint window: the wall time from the key to the window
#                   on the screen, with the window idle and while a review works on both
#                   cores (the review runs on threads of its own; the window should answer
#                   as fast)
#   review          the wall time of Review in the window, to the last change of the screen
#                   (300 ms steps), against `dalumaster-cli review` of the same record
#
#   scripts/coach-measure.sh [SEED]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
app=$root/build/DALU
tool=$root/build/tools/dalu_wincheck
out=$root/build/test-output/coach-measure
seed=${1:-5}

if [ ! -x "$app/dalumaster" ] || [ ! -x "$tool" ]; then
  echo "coach-measure: build/DALU/dalumaster or build/tools/dalu_wincheck is missing" >&2
  exit 1
fi
source scripts/window-env.sh
window_env_open
fail() {
  echo "coach-measure: $*" >&2
  exit 1
}
now_ms() { echo $(($(date +%s%N) / 1000000)); }

echo "machine: $(nproc) cores, $(sed -n 's/^model name[^:]*: //p' /proc/cpuinfo | head -n1)"
mkdir -p "$WENV_DIR/cli/GameData"
"$work/dalumaster-cli" play 3 6 --seed "$seed" --appdir "$WENV_DIR/cli" >"$out/play.txt"
record=$WENV_DIR/cli/GameData/AutoSave.DBD
echo "record: dalumaster-cli play 3 6 --seed $seed, $(sed -n 's/^turns: //p' "$out/play.txt") turns"

# hint_toggle_ms: Ctrl+I, then the time until the hint window is on the screen; Ctrl+I again
# hides it.
hint_toggle_ms() {
  local t0 t1
  focus
  t0=$(now_ms)
  xdotool key ctrl+i
  for _ in $(seq 500); do
    xdotool search --onlyvisible --name "^(Hint|ヒント): " >/dev/null 2>&1 && break
    sleep 0.005
  done
  t1=$(now_ms)
  xdotool key ctrl+i
  sleep 0.3
  echo $((t1 - t0))
}

start M "$record" || fail "no window"
settle || true
click 616 464  # "×"
settle || true
idle=()
for _ in 1 2 3 4 5; do idle+=("$(hint_toggle_ms)"); done
t0=$(now_ms)
key ctrl+r
sleep 0.5
busy=()
for _ in 1 2 3 4 5; do busy+=("$(hint_toggle_ms)"); done
for _ in $(seq 20); do settle && break; done
t1=$(now_ms)
close_window
finish M
echo "hint window after Ctrl+I, idle:            ${idle[*]} ms"
echo "hint window after Ctrl+I, during a review: ${busy[*]} ms"
echo "review in the window: about $((t1 - t0 - 300)) ms (to the last change of the screen)"
t0=$(now_ms)
"$work/dalumaster-cli" review "$record" >"$out/review.txt"
t1=$(now_ms)
echo "dalumaster-cli review of the same record: $((t1 - t0)) ms"
