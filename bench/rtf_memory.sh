#!/usr/bin/env bash
# Peak memory of reading big documents and of cutting one huge word, per MB of input.
#   bench/rtf_memory.sh [CLI [MB]]
# CLI: a vernalo-cli to measure (default build/measure/src/cli/vernalo-cli, an optimised
# Qt-free tree: cmake -S . -B build/measure -G Ninja -DCMAKE_BUILD_TYPE=Release
# -DVERNALO_GUI=OFF -DVERNALO_BENCH=OFF). MB scales the inputs (default 100).
# Give two CLIs as "OLD:NEW" to print before and after side by side.
# Set RTF_BENCH to an rtf_bench (a Qt build with the benchmarks), or to "OLD:NEW" two of
# them, to measure the editor's road as well: the file loaded into a QTextDocument, and the
# memory that reading took beyond what the loaded document keeps.
# The files are made in a private folder under /tmp and removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
clis=${1:-build/measure/src/cli/vernalo-cli}
mb=${2:-100}
dir=$(mktemp -d /tmp/vernalo_memory.XXXXXX)
trap 'rm -rf "$dir"' EXIT

# Writes `unit` repeated until the file holds about `mb` MB, between `head` and `tail`.
make_file() {  # path head unit tail
  python3 - "$@" "$mb" <<'PY'
import sys
path, head, unit, tail, mb = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4], int(sys.argv[5])
block = unit.encode() * ((1 << 20) // len(unit))
with open(path, "wb") as f:
    f.write(head.encode())
    written = 0
    while written < mb << 20:
        f.write(block)
        written += len(block)
    f.write(tail.encode())
PY
}
make_file "$dir/runs.rtf" '{\rtf1\ansi ' '\b x\b0 y' '}'
make_file "$dir/pars.rtf" '{\rtf1\ansi ' '\par' '}'
make_file "$dir/braces.txt" '' '{' ''
make_file "$dir/word.txt" '' 'abcdefghij' ''
# A new code page number in every \ansicpg: the cache of code pages must not grow with them.
python3 - "$dir/codepages.rtf" <<'PY'
import sys
with open(sys.argv[1], "w") as f:
    f.write("{\\rtf1\\ansi ")
    for cp in range(1, 2000001):
        f.write("\\ansicpg%d x" % cp)
    f.write("}")
PY

# Peak resident memory (kB) of one command, its output thrown away.
peak_kb() {
  /usr/bin/time -f '%M' -o "$dir/time" "$@" >/dev/null 2>"$dir/err" || { cat "$dir/err" >&2; return 1; }
  tail -1 "$dir/time"
}

per_mb() {  # kB file
  local size
  size=$(stat -c %s "$2")
  awk -v kb="$1" -v b="$size" 'BEGIN { printf "%7.0f MB peak  %5.2f x input", kb / 1024, kb * 1024 / b }'
}

IFS=: read -r -a bins <<<"$clis"
printf '%-48s' "case (input)"
for b in "${bins[@]}"; do printf '| %-30s' "$b"; done
echo
run_case() {  # label file args...
  local label=$1 file=$2
  shift 2
  printf '%-48s' "$label ($(($(stat -c %s "$file") >> 20)) MB)"
  for b in "${bins[@]}"; do
    printf '| %-30s' "$(per_mb "$(peak_kb "$b" "$@")" "$file")"
  done
  echo
}
run_case "convert --to txt, one-letter bold runs" "$dir/runs.rtf" convert "$dir/runs.rtf" --to txt
run_case "convert --to txt, \\par only" "$dir/pars.rtf" convert "$dir/pars.rtf" --to txt
run_case "convert --to txt, '{' as plain text" "$dir/braces.txt" convert "$dir/braces.txt" --to txt
run_case "convert --to rtf, one-letter bold runs" "$dir/runs.rtf" convert "$dir/runs.rtf" --to rtf
run_case "convert --to txt, 2,000,000 \\ansicpgN" "$dir/codepages.rtf" convert "$dir/codepages.rtf" --to txt
run_case "pieces --mode word, one word" "$dir/word.txt" pieces --mode word "$dir/word.txt"
run_case "pieces --mode sentence, one word" "$dir/word.txt" pieces --mode sentence "$dir/word.txt"
if [ -n "${RTF_BENCH:-}" ]; then
  IFS=: read -r -a benches <<<"$RTF_BENCH"
  echo
  echo "editor's road (rtf_bench BM_LoadFile): peak, kept by the document, beyond it (MB); seconds"
  for f in runs.rtf pars.rtf braces.txt; do
    printf '%-48s' "$f ($(($(stat -c %s "$dir/$f") >> 20)) MB)"
    for b in "${benches[@]}"; do
      line=$(VERNALO_BENCH_FILE="$dir/$f" QT_QPA_PLATFORM=offscreen "$b" \
        --benchmark_filter='^BM_LoadFile' 2>/dev/null | grep '^BM_LoadFile' || true)
      fig() { sed -n "s/.*$1=\([0-9.]*\)\([kMG]*\).*/\1\2/p" <<<"$line"; }
      printf '| %7s %7s %7s  %5s s     ' "$(fig peak_MB)" "$(fig document_MB)" \
        "$(fig beyond_document_MB)" "$(awk '{ printf "%.1f", $2 / 1000 }' <<<"$line")"
    done
    echo
  done
fi
