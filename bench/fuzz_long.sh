#!/usr/bin/env bash
# A long fuzzing round: each target in turn for MINUTES minutes (10 unless given), one at a
# time, then a table of executions, coverage (libFuzzer's "cov:" figure: code edges reached)
# and findings. The corpus grows in build/fuzz/long-corpus/<target>, seeded from
# fuzz/corpus/<target>, so that each round goes on from the last; a finding's input is kept
# in build/fuzz/findings/<target>/ and ends that target's round.
#   bench/fuzz_long.sh [MINUTES] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-10}
shift || true
source fuzz/targets.sh
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${VERNALO_FUZZ_TARGETS[@]}")

cmake --preset fuzz >/dev/null
cmake --build build/fuzz --target vernalo_fuzzers -j"${FUZZ_JOBS:-1}" >/dev/null

logs=build/fuzz/long-logs
mkdir -p "$logs"
rows=()
status=0
for target in "${targets[@]}"; do
  corpus=build/fuzz/long-corpus/$target
  findings=build/fuzz/findings/$target
  mkdir -p "$corpus" "$findings"
  cp -n fuzz/corpus/"$target"/* "$corpus"/
  log=$logs/$target.log
  before=$(find "$findings" -type f | wc -l)
  echo "fuzzing $target for $minutes min ..." >&2
  if vernalo_fuzz_run "$target" "$corpus" "$findings" -max_total_time=$((minutes * 60)) \
    >"$log" 2>&1; then
    result="none"
  else
    status=1
    result=$(grep -m1 -oE 'property broken: .*|ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer): [a-z-]+( [a-z-]+)*|runtime error: .*' "$log" || echo "exit status")
    result="$(( $(find "$findings" -type f | wc -l) - before )) new input: $result"
  fi
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
  rows+=("$(printf '%-14s %12s %6s  %s' "$target" "${execs:-?}" "${cov:-?}" "$result")")
done

printf '\n%-14s %12s %6s  %s\n' target executions cov findings
printf '%s\n' "${rows[@]}"
echo "(${minutes} min per target; logs in $logs/)"
exit $status
