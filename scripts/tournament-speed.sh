#!/usr/bin/env bash
# How much faster a tournament runs on two threads than on one: plays the same tournament
# with --jobs 1 and --jobs 2 in turn, ROUNDS times (default 3), and prints each run's wall
# time, matches per second and the ratio of the two within the round, which the machine's
# changing load moves less than the times themselves. Checks that both print the same
# report apart from the header line, which names the number of jobs.
#
#   bash scripts/tournament-speed.sh [ROUNDS] [extra tournament options]
set -euo pipefail
cd "$(dirname "$0")/.."
cli=build/DALU/dalumaster-cli
[[ -x $cli ]] || { echo "build first: $cli is missing" >&2; exit 1; }
rounds=${1:-3}
shift || true
args=(tournament --levels 1-9 --games 2 --seed 7 "$@")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# Wall time of one run in seconds; its report goes to $out/report-JOBS.
run() {
  local jobs=$1 start end
  start=$(date +%s.%N)
  "$cli" "${args[@]}" --jobs "$jobs" >"$out/report-$jobs" 2>/dev/null
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}

for ((r = 1; r <= rounds; ++r)); do
  t1=$(run 1)
  t2=$(run 2)
  matches=$(head -1 "$out/report-1" | sed -E 's/.* ([0-9]+) matches.*/\1/')
  if ! cmp -s <(tail -n +2 "$out/report-1") <(tail -n +2 "$out/report-2"); then
    echo "round $r: the reports of --jobs 1 and --jobs 2 differ" >&2
    exit 1
  fi
  awk -v r="$r" -v m="$matches" -v t1="$t1" -v t2="$t2" 'BEGIN {
    printf "round %d: %d matches; --jobs 1 %.2f s (%.2f/s), --jobs 2 %.2f s (%.2f/s), ratio %.2f\n",
      r, m, t1, m / t1, t2, m / t2, t1 / t2 }'
done
