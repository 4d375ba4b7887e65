#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs them for a given time,
# seeded from the test files. Not part of CI.
#
#   scripts/fuzz.sh [seconds] [target ...]
#
# seconds defaults to 60; the targets default to all four (record_reader_fuzz,
# old_format_fuzz, config_reader_fuzz, help_reader_fuzz). The targets run at the same time
# under nice, one process each. Corpora, logs and any crashing input go to fuzz-out/<target>/. The script
# fails when a target found a crash.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] &&
  targets=(record_reader_fuzz old_format_fuzz config_reader_fuzz help_reader_fuzz)

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DDALU_BUILD_FUZZ=ON -DDALU_BUILD_UI=OFF -DDALU_BUILD_TESTS=OFF -DDALU_BUILD_BENCH=OFF \
  >/dev/null
nice cmake --build build-fuzz -j2 --target "${targets[@]}"

seeds_of() {
  case "$1" in
    record_reader_fuzz|old_format_fuzz) echo tests/data/records ;;
    config_reader_fuzz) echo tests/data/config ;;
    help_reader_fuzz) echo fuzz-out/help_reader_fuzz/seeds ;;
  esac
}
dict_of() {
  case "$1" in
    record_reader_fuzz|old_format_fuzz) echo fuzz/records.dict ;;
    config_reader_fuzz) echo fuzz/config.dict ;;
    help_reader_fuzz) echo fuzz/help.dict ;;
  esac
}
# The help reader looks every title up in every input, so its work grows with the square of
# the page count; 16 KB still holds more pages than the store (a page marker is 4 bytes).
max_len_of() {
  case "$1" in
    help_reader_fuzz) echo 16384 ;;
    *) echo 65536 ;;
  esac
}

# The help reader starts from the program's own help file, converted as the build converts
# it (notes left out, CP932, CR LF), and from the same file followed by a second one.
if [[ " ${targets[*]} " == *" help_reader_fuzz "* ]]; then
  seeds=fuzz-out/help_reader_fuzz/seeds
  mkdir -p "$seeds"
  grep -v '^#' assets/help/DM_help.txt | iconv -f UTF-8 -t CP932 | sed 's/$/\r/' \
    >"$seeds/DM_help.tfh"
  { head -c 2000 "$seeds/DM_help.tfh"; printf '\r\n@End\r\n\0@@A\r\n00[[A]]\r\n@End\r\n'; } \
    >"$seeds/two_files"
fi

pids=()
for t in "${targets[@]}"; do
  out=fuzz-out/$t
  mkdir -p "$out/corpus"
  nice ./build-fuzz/fuzz/"$t" -max_total_time="$seconds" -print_final_stats=1 \
    -dict="$(dict_of "$t")" -artifact_prefix="$out/" -max_len="$(max_len_of "$t")" \
    "$out/corpus" "$(seeds_of "$t")" >"$out/fuzz.log" 2>&1 &
  pids+=($!)
done

status=0
for i in "${!targets[@]}"; do
  t=${targets[$i]}
  if wait "${pids[$i]}"; then result=ok; else result=FAILED; status=1; fi
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "fuzz-out/$t/fuzz.log" | grep -o '[0-9]*$' || true)
  cov=$(grep -o 'cov: [0-9]*' "fuzz-out/$t/fuzz.log" | tail -1 || true)
  echo "$t: $result, ${runs:-?} executions, $cov, corpus $(ls "fuzz-out/$t/corpus" | wc -l) files"
  if [ "$result" = FAILED ]; then
    grep -m5 -E 'ERROR|invariant|SUMMARY|Test unit written' "fuzz-out/$t/fuzz.log" || true
  fi
done
exit $status
