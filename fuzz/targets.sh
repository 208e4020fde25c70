# Sourced by scripts/fuzz-smoke.sh and bench/fuzz_long.sh: the fuzz targets and how one is run.

VERNALO_FUZZ_TARGETS=(rtf_reader rtf_roundtrip html_to_rtf text_decode dict_file rules_file segmenter
                      ini_file address_rules book_reader pdf_reader word97_reader page_image)

# The fuzzer's dictionary of tokens for a target, if it has one.
vernalo_fuzz_dict() {
  case "$1" in
    rtf_reader | rtf_roundtrip) echo fuzz/rtf.dict ;;
    html_to_rtf) echo fuzz/html.dict ;;
  esac
}

# vernalo_fuzz_run TARGET CORPUS_DIR FINDINGS_DIR [libFuzzer options...]
# A unit that runs over 10 s counts as a hang; a crashing, leaking or hanging input is written
# to FINDINGS_DIR.
vernalo_fuzz_run() {
  local target=$1 corpus=$2 findings=$3
  shift 3
  local dict
  dict=$(vernalo_fuzz_dict "$target")
  build/fuzz/fuzz/"${target}_fuzz" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$findings/" ${dict:+-dict="$dict"} "$@" "$corpus"
}

# Executions and coverage from a run's log: the final statistics and the last "cov:" figure.
vernalo_fuzz_summary() {
  local execs cov
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$1" | tail -n 1)
  cov=$(grep -o 'cov: [0-9]*' "$1" | tail -n 1 | cut -d' ' -f2)
  echo "${execs:-?} executions, cov ${cov:-?}"
}
