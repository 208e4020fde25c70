#!/usr/bin/env bash
# Reading a ~10 MB FB2 and a ~10 MB EPUB (generated: the fixture text's words shuffled into
# chapters, sections, emphasis, lists, stanzas and notes, so that it compresses like prose)
# into the editor's model, beside pandoc converting the same files to plain text, in the
# same run. Prints time and peak memory of each and the ratios, then how long the Contents
# panel takes to list each book once it is in the editor (contents_bench; goal 50 ms).
#
#   bench/books_vs_pandoc.sh [--no-pandoc] [BUILD_DIR]     (default build/release)
#
# pandoc is needed for the comparison only (apt-get install pandoc); it takes minutes on the
# EPUB, which --no-pandoc skips.
set -euo pipefail
have_pandoc=1
if [ "${1:-}" = --no-pandoc ]; then have_pandoc=0; shift; fi
build=${1:-build/release}
bench="$build/bench/books_bench"
[ -x "$bench" ] || { echo "books_vs_pandoc: $bench not built (target books_bench)" >&2; exit 2; }
here=$(cd "$(dirname "$0")/.." && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$here/tests/data/books/book.md" "$work" <<'PY'
import html, random, re, sys, zipfile
src, work = sys.argv[1], sys.argv[2]
words = re.findall(r"[\w«»’-]+", open(src, encoding="utf-8").read().split("---", 2)[2])
rnd = random.Random(15)
def sentence(n):
    s = " ".join(rnd.choice(words) for _ in range(n))
    return s[0].upper() + s[1:] + rnd.choice(".!?")
def para():
    out = []
    for _ in range(rnd.randint(3, 6)):
        s = html.escape(sentence(rnd.randint(6, 16)), quote=False)
        k = rnd.random()
        out.append(s if k > 0.3 else ("<em>%s</em>" % s if k > 0.15 else "<strong>%s</strong>" % s))
    return " ".join(out)
target = 10 * 1000 * 1000

# FB2: sections of paragraphs, a stanza now and then, notes at the end.
parts = ['<?xml version="1.0" encoding="UTF-8"?>\n<FictionBook xmlns="http://www.gribuser.ru/xml/fictionbook/2.0" xmlns:l="http://www.w3.org/1999/xlink"><description><title-info><author><first-name>Anna</first-name><last-name>Petrova</last-name></author><book-title>Большая книга</book-title><lang>ru</lang></title-info></description><body><title><p>Большая книга</p></title>']
size, n = 0, 0
while size < target:
    n += 1
    sec = ["<section><title><p>Глава %d</p></title>" % n]
    for i in range(40):
        p = para().replace("<em>", "<emphasis>").replace("</em>", "</emphasis>")
        sec.append("<p>%s</p>" % p)
        if i % 15 == 7:
            sec.append("<poem><stanza>%s</stanza></poem>" % "".join(
                "<v>%s</v>" % html.escape(sentence(5), quote=False) for _ in range(4)))
    sec.append("</section>")
    s = "\n".join(sec)
    size += len(s.encode())
    parts.append(s)
parts.append('</body><body name="notes"><section id="n1"><title><p>1</p></title><p>%s</p></section></body></FictionBook>\n' % para())
open(work + "/big.fb2", "w", encoding="utf-8").write("\n".join(parts))

# EPUB 3: one XHTML chapter per ~200 KB, as book tools cut them, until the archive is ~10 MB.
head = '<?xml version="1.0" encoding="UTF-8"?>\n<!DOCTYPE html>\n<html xmlns="http://www.w3.org/1999/xhtml" xmlns:epub="http://www.idpf.org/2007/ops"><head><title>c</title></head><body>'
z = zipfile.ZipFile(work + "/big.epub", "w", zipfile.ZIP_DEFLATED)
z.writestr(zipfile.ZipInfo("mimetype"), "application/epub+zip")
z.writestr("META-INF/container.xml", '<?xml version="1.0"?><container version="1.0" xmlns="urn:oasis:names:tc:opendocument:xmlns:container"><rootfiles><rootfile full-path="EPUB/content.opf" media-type="application/oebps-package+xml"/></rootfiles></container>')
items, compressed, n = [], 0, 0
while compressed < target:
    n += 1
    body = ["<section><h1>Глава %d</h1>" % n]
    for i in range(250):
        body.append("<p>%s</p>" % para())
        if i % 50 == 10:
            body.append("<h2>Часть %d</h2><ul>%s</ul>" % (i, "".join("<li>%s</li>" % html.escape(sentence(6), quote=False) for _ in range(4))))
    body.append("</section></body></html>")
    name = "text/ch%04d.xhtml" % n
    z.writestr("EPUB/" + name, head + "\n".join(body))
    items.append(name)
    compressed = sum(i.compress_size for i in z.infolist())
nav = head.replace("<body>", "<body><nav epub:type=\"toc\"><ol>") + "".join('<li><a href="%s">Глава %d</a></li>' % (n, i + 1) for i, n in enumerate(items)) + "</ol></nav></body></html>"
z.writestr("EPUB/nav.xhtml", nav)
opf = ['<?xml version="1.0" encoding="UTF-8"?><package xmlns="http://www.idpf.org/2007/opf" version="3.0" unique-identifier="id"><metadata xmlns:dc="http://purl.org/dc/elements/1.1/"><dc:identifier id="id">big</dc:identifier><dc:title>Большая книга</dc:title><dc:language>ru</dc:language></metadata><manifest><item id="nav" href="nav.xhtml" media-type="application/xhtml+xml" properties="nav"/>']
opf += ['<item id="c%d" href="%s" media-type="application/xhtml+xml"/>' % (i, n) for i, n in enumerate(items)]
opf.append('</manifest><spine><itemref idref="nav"/>')
opf += ['<itemref idref="c%d"/>' % i for i in range(len(items))]
opf.append("</spine></package>")
z.writestr("EPUB/content.opf", "".join(opf))
z.close()
PY

source "$here/bench/compare_lib.sh"  # calc, peak_kib, timed_run

[ "$have_pandoc" = 0 ] || command -v pandoc >/dev/null || { have_pandoc=0; echo "pandoc not installed: apt-get install pandoc for the comparison"; }
base_kib=$(peak_kib "$bench" --runs 1 "$here/tests/data/books/book.fb2")
echo "books_bench on a tiny book: peak $(calc "$base_kib / 1024") MiB (libraries and runtime)"
echo "load: $(uptime | sed 's/.*load average: //')"
echo "earlier: 10 MB FB2 0.19 s, EPUB 0.96 s (goal 1.5 s); the EPUB's peak 8.7x the file"
echo "goal: memory beyond the read text's own size (UTF-16) <= 2x that size"
for f in big.fb2 big.epub; do
  file="$work/$f"
  bytes=$(stat -c %s "$file")
  line=$("$bench" --runs 3 "$file")
  ours_ms=$(sed 's/.*best_ms=\([0-9.]*\).*/\1/' <<<"$line")
  chars=$(sed 's/.*chars=\([0-9]*\).*/\1/' <<<"$line")
  ours_kib=$(peak_kib "$bench" --runs 1 "$file")
  printf '%s: %.2f MB, %d characters of text\n' "$f" "$(calc "$bytes / 1e6")" "$chars"
  printf '  ours:   %8.1f ms (best of 3)  peak %6.1f MiB = %.2fx the file (%.2fx above the tiny book)\n' \
      "$ours_ms" "$(calc "$ours_kib / 1024")" "$(calc "$ours_kib * 1024 / $bytes")" \
      "$(calc "($ours_kib - $base_kib) * 1024 / $bytes")"
  printf '          the text is %.1f MiB as UTF-16; the peak beyond it and the tiny book: %.1f MiB = %.2fx the text\n' \
      "$(calc "$chars * 2 / 1048576")" "$(calc "($ours_kib - $base_kib) / 1024 - $chars * 2 / 1048576")" \
      "$(calc "(($ours_kib - $base_kib) * 1024 - $chars * 2) / ($chars * 2)")"
  [ "$have_pandoc" = 1 ] || continue
  timed_run pandoc -t plain --wrap=none "$file" -o "$work/out.txt"
  pandoc_ms=$run_ms pandoc_kib=$run_kib
  printf '  pandoc: %8.1f ms (one run)    peak %6.1f MiB = %.2fx the file\n' \
      "$pandoc_ms" "$(calc "$pandoc_kib / 1024")" "$(calc "$pandoc_kib * 1024 / $bytes")"
  printf '  pandoc/ours: %.1fx the time\n' "$(calc "$pandoc_ms / $ours_ms")"
done
# The Contents panel listing each book once it is in the editor (goal: 50 ms).
contents="$build/bench/contents_bench"
if [ -x "$contents" ]; then
  for f in big.fb2 big.epub; do
    line=$("$contents" --runs 5 "$work/$f")
    printf '%s contents: %s headings in %s ms (best of 5; median %s ms; goal 50 ms)\n' "$f" \
        "$(sed 's/.*headings=\([0-9]*\).*/\1/' <<<"$line")" \
        "$(sed 's/.*best_ms=\([0-9.]*\).*/\1/' <<<"$line")" \
        "$(sed 's/.*median_ms=\([0-9.]*\).*/\1/' <<<"$line")"
  done
else
  echo "contents_bench not built (target contents_bench): no Contents figure"
fi
