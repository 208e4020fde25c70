#!/usr/bin/env bash
# Reading the text layer of a ~300-page PDF (LibreOffice's export of a generated text: the
# PDF fixture's words shuffled into paragraphs) with vernalo-cli convert, beside pdftotext
# on the same file in the same run. The goal is under 3 s for vernalo-cli.
#
#   bench/pdf_open.sh [BUILD_DIR]     (default build/release; target vernalo-cli)
#
# Needs soffice (libreoffice-writer-nogui) and pdftotext (poppler-utils).
set -euo pipefail
build=${1:-build/release}
cli="$build/src/cli/vernalo-cli"
[ -x "$cli" ] || { echo "pdf_open: $cli not built (target vernalo-cli)" >&2; exit 2; }
for tool in soffice pdftotext pdfinfo; do
  command -v "$tool" >/dev/null || { echo "pdf_open: $tool is not installed" >&2; exit 2; }
done
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$here/tests/data/pdf/text.pdf.txt" "$work/big.txt" <<'PY'
import random, re, sys
words = re.findall(r"\w[\w-]*", open(sys.argv[1], encoding="utf-8").read())
rnd = random.Random(3)
out = []
for _ in range(2600):  # about 300 pages of A4 at LibreOffice's default text size
    s = " ".join(rnd.choice(words) for _ in range(rnd.randint(50, 90)))
    out.append(s[0].upper() + s[1:] + ".")
open(sys.argv[2], "w", encoding="utf-8").write("\n".join(out) + "\n")
PY
# A private profile: a user's running LibreOffice is neither used nor disturbed.
soffice -env:UserInstallation="file://$work/profile" --headless --convert-to pdf \
  --outdir "$work" "$work/big.txt" >/dev/null 2>&1
pages=$(pdfinfo "$work/big.pdf" | awk '/^Pages:/ { print $2 }')
printf 'big.pdf: %d pages, %.2f MB\n' "$pages" "$(awk "BEGIN { print $(stat -c %s "$work/big.pdf") / 1e6 }")"

ms() { awk "BEGIN { printf \"%.0f\", ($2 - $1) / 1000000 }"; }
best=""
for _ in 1 2 3; do
  start=$(date +%s%N)
  "$cli" convert "$work/big.pdf" -o "$work/ours.txt"
  end=$(date +%s%N)
  t=$(ms "$start" "$end")
  if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
done
start=$(date +%s%N)
pdftotext "$work/big.pdf" "$work/theirs.txt"
end=$(date +%s%N)
theirs=$(ms "$start" "$end")
printf '  vernalo-cli convert: %6d ms (best of 3), %d words\n' "$best" "$(wc -w <"$work/ours.txt")"
printf '  pdftotext:           %6d ms (one run),   %d words\n' "$theirs" "$(wc -w <"$work/theirs.txt")"
if [ "$best" -lt 3000 ]; then echo "  goal (< 3000 ms): met"; else echo "  goal (< 3000 ms): MISSED"; fi
