#!/usr/bin/env bash
# Text recognition: vernalo-cli convert beside the plain `tesseract IMAGE - -l rus+eng`
# command, in one run, turns taken in turn.
#   1. words right against the source text, per fixture of tests/data/ocr (both languages);
#   2. a one-page A4 scan at 300 dpi: the time to its text (the window shows the first page
#      when it is done, so this is the first page's time too), goal <= 1.2x tesseract's;
#   3. a 20-page image-only PDF against tesseract run page by page on the same pages, goal
#      <= 0.6x, with vernalo-cli's peak memory (goal <= 400 MB).
#
#   bench/ocr_vs_tesseract.sh [BUILD_DIR] [accuracy|first|pdf|all]   (default build/release, all)
#
# Needs tesseract-ocr (with -rus, -eng), ImageMagick and python3. A page takes 5-20 s.
set -euo pipefail
build=${1:-build/release}
what=${2:-all}
cli="$build/src/cli/vernalo-cli"
[ -x "$cli" ] || { echo "ocr_vs_tesseract: $cli not built (target vernalo-cli)" >&2; exit 2; }
command -v tesseract >/dev/null || { echo "ocr_vs_tesseract: tesseract is not installed" >&2; exit 2; }
here=$(cd "$(dirname "$0")/.." && pwd)
data="$here/tests/data/ocr"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Word accuracy: 1 - (word edit distance / source words), case kept, punctuation around
# words dropped, hyphenated words whole in the source.
accuracy() {  # SOURCE RECOGNISED
  python3 - "$1" "$2" <<'PY'
import re, sys
def words(path):
    text = open(path, encoding='utf-8').read()
    return [w for w in (t.strip('.,:;!?«»()"\'—-') for t in text.split()) if w]
ref, hyp = words(sys.argv[1]), words(sys.argv[2])
prev = list(range(len(hyp) + 1))
for i, r in enumerate(ref, 1):
    cur = [i] + [0] * len(hyp)
    for j, h in enumerate(hyp, 1):
        cur[j] = min(prev[j] + 1, cur[j - 1] + 1, prev[j - 1] + (r != h))
    prev = cur
print('%.1f' % (100.0 * max(0, len(ref) - prev[-1]) / len(ref)))
PY
}

ms() { awk "BEGIN { printf \"%.0f\", ($2 - $1) / 1000000 }"; }

# Fixture, the texts it shows in order, and the image tesseract reads (a PDF's pages as the
# PNGs it was made from).
fixtures=(
  "mixed-300.png|mixed"
  "mixed-300.jpg|mixed"
  "pages-300.tif|en ru"
  "scan-300.pdf|en ru"
  "en-150.png|en"
  "mixed-150-noisy.jpg|mixed"
  "ru-upside-down.png|ru"
  "screenshot.webp|mixed"
  "screenshot.bmp|mixed"
)

if [ "$what" = accuracy ] || [ "$what" = all ]; then
  echo "words right (%), clean pages first, then the worse copies:"
  printf '  %-22s %10s %10s\n' fixture vernalo tesseract
  for entry in "${fixtures[@]}"; do
    file=${entry%%|*}
    : >"$work/source.txt"
    for t in ${entry#*|}; do cat "$data/$t.txt" >>"$work/source.txt"; echo >>"$work/source.txt"; done
    "$cli" convert "$data/$file" -o "$work/ours.txt" 2>/dev/null || : >"$work/ours.txt"
    case $file in
      *.pdf)  # tesseract reads no PDF: the pages as images, one after the other
        : >"$work/theirs.txt"
        convert "$data/pages-300.tif[0]" "$work/p1.png"
        convert "$data/pages-300.tif[1]" "$work/p2.png"
        for p in p1 p2; do tesseract "$work/$p.png" - -l rus+eng 2>/dev/null >>"$work/theirs.txt"; done
        ;;
      *) tesseract "$data/$file" - -l rus+eng 2>/dev/null >"$work/theirs.txt" || : >"$work/theirs.txt" ;;
    esac
    printf '  %-22s %10s %10s\n' "$file" "$(accuracy "$work/source.txt" "$work/ours.txt")" \
      "$(accuracy "$work/source.txt" "$work/theirs.txt")"
  done
fi

# A full A4 page of text at 300 dpi, both languages: the fixtures' texts over and over.
make_page() {  # N OUT.png
  python3 - "$data" "$1" >"$work/page$1.txt" <<'PY'
import sys
d, n = sys.argv[1], int(sys.argv[2])
texts = [open(f'{d}/{t}.txt', encoding='utf-8').read().strip() for t in ('en', 'ru', 'mixed')]
print('\n\n'.join(texts[(n + i) % 3] for i in range(4)))
PY
  python3 - "$work/page$1.txt" >"$work/lines$1.txt" <<'PY'
import sys, textwrap
paras = open(sys.argv[1], encoding='utf-8').read().split('\n\n')
print('\n\n'.join(textwrap.fill(p, 68) for p in paras))
PY
  convert -density 300 -units PixelsPerInch -size 2481x3508 xc:white \
    -font /usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf -pointsize 11 -fill black \
    -annotate +240+240 "$(cat "$work/lines$1.txt")" -colorspace Gray -depth 8 "$2"
}

if [ "$what" = first ] || [ "$what" = all ]; then
  make_page 0 "$work/a4.png"
  ours=() theirs=()
  for _ in 1 2; do
    start=$(date +%s%N); "$cli" convert "$work/a4.png" -o "$work/o.txt" 2>/dev/null; end=$(date +%s%N)
    ours+=("$(ms "$start" "$end")")
    start=$(date +%s%N); tesseract "$work/a4.png" - -l rus+eng >/dev/null 2>&1; end=$(date +%s%N)
    theirs+=("$(ms "$start" "$end")")
  done
  printf 'one A4 page, 300 dpi: vernalo %s ms, tesseract %s ms (two turns each); words right %s%% vs %s%%\n' \
    "${ours[*]}" "${theirs[*]}" "$(accuracy "$work/page0.txt" "$work/o.txt")" \
    "$(tesseract "$work/a4.png" - -l rus+eng 2>/dev/null >"$work/t.txt"; accuracy "$work/page0.txt" "$work/t.txt")"
fi

if [ "$what" = pdf ] || [ "$what" = all ]; then
  pages=()
  for i in $(seq 1 20); do
    make_page "$i" "$work/p$i.png"
    convert "$work/p$i.png" -quality 60 "$work/p$i.jpg"
    pages+=("$work/p$i.jpg")
  done
  python3 "$data/jpegs-to-pdf.py" "$work/scan20.pdf" "${pages[@]}"
  start=$(date +%s%N)
  /usr/bin/time -f '%M' -o "$work/mem" "$cli" convert "$work/scan20.pdf" -o "$work/o20.txt" 2>/dev/null
  end=$(date +%s%N)
  ours=$(ms "$start" "$end")
  start=$(date +%s%N)
  for i in $(seq 1 20); do tesseract "$work/p$i.png" - -l rus+eng >/dev/null 2>&1; done
  end=$(date +%s%N)
  theirs=$(ms "$start" "$end")
  printf '20-page scanned PDF: vernalo %d ms, tesseract page by page %d ms (%.2fx); vernalo peak memory %d MB\n' \
    "$ours" "$theirs" "$(awk "BEGIN { print $ours / $theirs }")" "$(($(cat "$work/mem") / 1024))"
fi
