#!/usr/bin/env bash
# HtmlToRtf against pandoc's HTML-to-plain conversion of the same generated 5 MB page
# (everyday markup, Russian and English mixed). Prints both times and their ratio.
#
#   bench/html_vs_pandoc.sh [BUILD_DIR]     (default build/release)
#
# pandoc is needed for the comparison only (apt-get install pandoc); without it only the
# converter's figures are printed.
set -euo pipefail
build=${1:-build/release}
bench="$build/bench/htmltortf_bench"
[ -x "$bench" ] || { echo "html_vs_pandoc: $bench not built (target htmltortf_bench)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
page="$work/page.html"
"$bench" --write-page="$page"
bytes=$(stat -c %s "$page")

# Google Benchmark CSV: name,iterations,real_time,cpu_time,time_unit,bytes_per_second,...
"$bench" --page="$page" --benchmark_filter='BM_HtmlToRtf/' --benchmark_format=csv \
    2>/dev/null >"$work/ours.csv"
ours_ms=$(awk -F, '/BM_HtmlToRtf\//{print $3; exit}' "$work/ours.csv")
ours_mbs=$(awk -F, '/BM_HtmlToRtf\//{printf "%.0f", $6/1e6; exit}' "$work/ours.csv")

calc() { awk "BEGIN { print $1 }"; }  # floating point without bc

printf 'page: %d bytes (%.2f MB) of UTF-8 HTML\n' "$bytes" "$(calc "$bytes / 1000000")"
printf 'HtmlToRtf:       %8.1f ms  (%s MB/s)\n' "$ours_ms" "$ours_mbs"

if ! command -v pandoc >/dev/null; then
    echo "pandoc not installed: apt-get install pandoc for the comparison"
    exit 0
fi
best=""
for _ in 1 2 3; do
    start=$(date +%s%N)
    pandoc -f html -t plain --wrap=none "$page" -o "$work/page.txt"
    end=$(date +%s%N)
    t=$(calc "($end - $start) / 1000000")
    if [ -z "$best" ] || [ "$(calc "$t < $best")" = 1 ]; then best=$t; fi
done
printf 'pandoc %s html->plain: %8.1f ms  (%.1f MB/s, best of 3)\n' \
    "$(pandoc --version | head -1 | awk '{print $2}')" "$best" \
    "$(calc "$bytes / 1000 / $best")"
printf 'ratio pandoc/HtmlToRtf: %.0fx\n' "$(calc "$best / $ours_ms")"
