#!/usr/bin/env bash
# Makes the page images the recognition is tested and measured on, from the texts beside this
# script (en.txt, ru.txt, mixed.txt: our own prose); the texts go on the command line, as the
# usual security policy forbids ImageMagick to read "@file". Needs ImageMagick, python3 and the DejaVu
# fonts (fonts-dejavu-core). Run it from anywhere; it rewrites the images in this folder.
#   make-fixtures.sh [OUT]     OUT: another folder to write into (the benchmark's pages)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here}
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
font=/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf

# The text broken into lines as a typesetter would, a long word split with a hyphen now
# and then, paragraphs apart by an empty line.
wrap() {
  python3 - "$1" "$2" <<'PY'
import sys
text, width = open(sys.argv[1], encoding='utf-8').read(), int(sys.argv[2])
out = []
for para in text.strip().split('\n\n'):
    line = ''
    for word in para.split():
        if not line:
            line = word
        elif len(line) + 1 + len(word) <= width:
            line += ' ' + word
        else:
            room = width - len(line) - 2
            if len(word) >= 8 and room >= 3 and word[:room].isalpha() and len(word) - room >= 3:
                out.append(line + ' ' + word[:room] + '-')
                line = word[room:]
            else:
                out.append(line)
                line = word
    out.append(line)
    out.append('')
sys.stdout.write('\n'.join(out).rstrip() + '\n')
PY
}

# An A4 page at DPI, grey, the text at 11 points from the top left margin.
page() {  # TEXT DPI OUT
  local w=$(($2 * 827 / 100)) h=$(($2 * 1169 / 100)) margin=$(($2 * 8 / 10))
  wrap "$1" 68 >"$tmp/lines.txt"
  convert -density "$2" -units PixelsPerInch -size "${w}x${h}" xc:white -font "$font" \
    -pointsize 11 -fill black -annotate "+${margin}+${margin}" "$(cat "$tmp/lines.txt")" \
    -colorspace Gray -depth 8 "$3"
}

page "$here/mixed.txt" 300 "$tmp/mixed-300.png"
page "$here/en.txt" 300 "$tmp/en-300.png"
page "$here/ru.txt" 300 "$tmp/ru-300.png"
page "$here/mixed.txt" 150 "$tmp/mixed-150.png"
page "$here/en.txt" 150 "$tmp/en-150.png"
page "$here/ru.txt" 150 "$tmp/ru-150.png"

# Clean copies: PNG, JPEG, a two-page TIFF (English, then Russian).
convert "$tmp/mixed-300.png" -define png:compression-level=9 "$out/mixed-300.png"
convert "$tmp/mixed-300.png" -quality 75 "$out/mixed-300.jpg"
convert "$tmp/en-300.png" "$tmp/ru-300.png" -compress zip "$out/pages-300.tif"
# Worse copies: 150 dpi; 150 dpi turned by 1.5 degrees with noise, saved as JPEG at quality
# 40; a page upside down.
convert "$tmp/en-150.png" "$out/en-150.png"
convert "$tmp/mixed-150.png" -background white -rotate 1.5 -attenuate 0.6 +noise Gaussian \
  -colorspace Gray -quality 40 "$out/mixed-150-noisy.jpg"
convert "$tmp/ru-150.png" -rotate 180 "$out/ru-upside-down.png"
# A screenshot: screen resolution, no page around it, as WebP and as BMP.
convert -size 1000x -font "$font" -pointsize 16 -density 72 caption:"$(cat "$here/mixed.txt")" \
  -bordercolor white -border 12 -colorspace Gray "$tmp/shot.png"
convert "$tmp/shot.png" -quality 90 "$out/screenshot.webp"
convert "$tmp/shot.png" -colors 16 -type Palette "BMP3:$out/screenshot.bmp"
# Three short pages in one TIFF, quick to recognise: the window's tests of pages that come
# one by one.
for t in en ru mixed; do
  convert -size 1000x -font "$font" -pointsize 16 -density 72 caption:"$(head -n 1 "$here/$t.txt")" \
    -bordercolor white -border 12 -colorspace Gray -density 96 -units PixelsPerInch "$tmp/short-$t.png"
done
convert "$tmp/short-en.png" "$tmp/short-ru.png" "$tmp/short-mixed.png" -compress zip \
  "$out/three-pages.tif"

# An image-only PDF of two pages (English, then Russian): each page one JPEG, as a scanner
# writes it. ImageMagick may not write PDF here, so the few objects are written directly.
convert "$tmp/en-300.png" -quality 60 "$tmp/p1.jpg"
convert "$tmp/ru-300.png" -quality 60 "$tmp/p2.jpg"
python3 "$here/jpegs-to-pdf.py" "$out/scan-300.pdf" "$tmp/p1.jpg" "$tmp/p2.jpg"
# A PDF of a page with a text layer, then a scanned one (the Russian strip of three-pages.tif).
convert "$tmp/short-ru.png" -quality 60 "$tmp/short-ru.jpg"
python3 "$here/jpegs-to-pdf.py" "$out/mixed-layers.pdf" "text:A page with its own text layer." \
  "$tmp/short-ru.jpg"
