# Shared by the bench/*_vs_pandoc.sh scripts; sourced, not run. They set $work (a scratch
# folder) before calling these.

calc() { awk "BEGIN { print $1 }"; }  # floating point without bc

# Peak resident memory in KiB of a command (GNU time); its output is dropped.
peak_kib() {
  /usr/bin/time -f '%M' -o "$work/time" "$@" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; return 1; }
  tail -1 "$work/time"
}

# One run of a command: sets run_ms (wall time) and run_kib (peak resident memory).
timed_run() {
  local start end
  start=$(date +%s%N)
  run_kib=$(peak_kib "$@")
  end=$(date +%s%N)
  run_ms=$(calc "($end - $start) / 1000000")
}
