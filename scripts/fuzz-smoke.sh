#!/usr/bin/env bash
# Builds the fuzz targets (the `fuzz` preset) and runs each for a short while on a copy of its
# seed corpus. Non-zero when a target crashes, leaks, hangs or breaks one of its checks; the
# input that did it is kept under build/fuzz/findings/<target>/.
#   scripts/fuzz-smoke.sh [SECONDS]    20 s per target unless given
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
jobs=${FUZZ_JOBS:-$(nproc)}

source fuzz/targets.sh
cmake --preset fuzz >/dev/null
cmake --build build/fuzz --target vernalo_fuzzers -j"$jobs"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for target in "${VERNALO_FUZZ_TARGETS[@]}"; do
  # The fuzzer adds what it finds to the corpus directory: never the repository's own.
  cp -r "fuzz/corpus/$target" "$work/$target"
  findings="build/fuzz/findings/$target"
  mkdir -p "$findings"
  log="$work/$target.log"
  start=$SECONDS
  if vernalo_fuzz_run "$target" "$work/$target" "$findings" -max_total_time="$seconds" >"$log" 2>&1; then
    echo "fuzz $target: $(vernalo_fuzz_summary "$log") ($((SECONDS - start)) s)"
  else
    status=1
    echo "fuzz $target: FAILED, input kept in $findings/" >&2
    tail -n 60 "$log" >&2
  fi
done
exit $status
