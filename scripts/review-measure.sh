#!/usr/bin/env bash
# How well the review's chance predicts a match's real winner, and what a review costs, for
# several playout levels P and playout counts K. Not part of CI.
#
#   scripts/review-measure.sh [records] [P list] [K list]
#
# Defaults: 20 records, P = "3 4 5 6", K = "8 24". The records are self-played matches of
# the tournament between levels 4..9 (seed 500, kept in build/review-measure/records). For
# every record, P and K the review runs with --jobs 2 and seed 1; its lines are compared
# with the record's winner (the side that was not buried; a match in which both were
# buried, or that was cut off, counts for neither and is left out). For the turns of each
# third of a match (the burial turn left out, its chance is the result itself) the table
# gives how often the chance points at the winner (above 0.5 for side 1; exactly 0.5 counts
# half), the mean squared distance of the chance from the result (Brier score: 0.25 for a
# coin, 0 for certainty), and the CPU and wall seconds per review turn. A 60-turn record's
# review takes 60 times the wall seconds per turn.
set -euo pipefail
cd "$(dirname "$0")/.."

records=${1:-20}
plist=${2:-"3 4 5 6"}
klist=${3:-"8 24"}
cli=build/DALU/dalumaster-cli
out=build/review-measure
[ -x "$cli" ] || { echo "build first: bash scripts/build.sh" >&2; exit 1; }
mkdir -p "$out/records" "$out/reviews"

# 1. The records: pairs of levels 4..9, as many games each as needed for `records` matches.
if [ "$(ls "$out/records" | wc -l)" -lt "$records" ]; then
  rm -f "$out/records"/*.DBD
  "$cli" tournament --levels 4-9 --games $(((records + 14) / 15)) --seed 500 --jobs 2 \
    --records "$out/records" >/dev/null 2>&1
fi
files=$(ls "$out/records"/*.DBD | head -n "$records")

# 2. The winner of each record.
declare -A winner
for f in $files; do
  buried=$("$cli" replay "$f" | sed -n 's/^buried: //p')
  case $buried in 1) winner[$f]=2 ;; 2) winner[$f]=1 ;; *) winner[$f]=0 ;; esac
done

echo "| P | K | turns | first third | middle third | last third | Brier | CPU s/turn | wall s/turn |"
echo "|---|---|---|---|---|---|---|---|---|"
for P in $plist; do
  for K in $klist; do
    stats=$out/reviews/P${P}_K${K}.txt
    : >"$stats"
    for f in $files; do
      [ "${winner[$f]}" = 0 ] && continue
      r=$out/reviews/$(basename "$f" .DBD)_P${P}_K${K}.txt
      t=$( { /usr/bin/time -f "%U %S %e" "$cli" review "$f" --playouts "$K" \
               --playout-level "$P" --jobs 2 >"$r"; } 2>&1 | tail -1)
      echo "${winner[$f]} $(wc -l <"$r") $t $r" >>"$stats"
    done
    awk -v P="$P" -v K="$K" '
      {
        w = $1; n = $2; cpu += $3 + $4; wall += $5; turns += n
        i = 0
        while ((getline line < $6) > 0) {
          ++i
          if (i == n) break                      # the burial turn: its chance is exact
          split(line, f, " "); c = f[4] + 0
          third = int(3 * (i - 1) / n)
          o = (w == 1) ? 1 : 0
          hit = (c == 0.5) ? 0.5 : ((c > 0.5) == (w == 1)) ? 1 : 0
          hits[third] += hit; cnt[third]++
          brier += (c - o) * (c - o); bn++
        }
        close($6)
      }
      END {
        printf "| %s | %s | %d |", P, K, turns
        for (t = 0; t < 3; ++t) printf " %.1f %% |", cnt[t] ? 100 * hits[t] / cnt[t] : 0
        printf " %.3f | %.3f | %.3f |\n", bn ? brier / bn : 0, cpu / turns, wall / turns
      }' "$stats"
  done
done
