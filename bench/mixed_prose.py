#!/usr/bin/env python3
# Writes a mixed Russian and English text of about SIZE bytes to OUT, made from our own prose:
# English sentences from the README and Russian ones from the window's translation, with both
# languages in every paragraph, as a learner's text has them.
#   bench/mixed_prose.py OUT SIZE     (SIZE in bytes: 100000, 10M)
import html, random, re, sys
from pathlib import Path

root = Path(__file__).resolve().parent.parent
out, size = sys.argv[1], sys.argv[2]
size = int(float(size[:-1]) * 1024 * 1024) if size[-1] in "Mm" else int(size)

def sentences(text):
    text = re.sub(r"\s+", " ", text)
    return [s.strip() for s in re.split(r"(?<=[.!?])\s+", text) if len(s.split()) >= 4]

readme = (root / "README.md").read_text(encoding="utf-8")
# Prose lines only: no code blocks, tables, headings, links or markup.
readme = re.sub(r"```.*?```", "", readme, flags=re.S)
prose = [l for l in readme.splitlines() if l and not l.startswith(("#", "|", "!", "```", "    "))]
en = [s for s in sentences(" ".join(prose).replace("- ", " ")) if not re.search(r"[`*\[\]<>/\\=_]", s)]
ts = (root / "translations" / "vernalo_ru.ts").read_text(encoding="utf-8")
ru = [re.sub(r"\s*%\d", "", html.unescape(t)) for t in re.findall(r"<translation>([^<]+)</translation>", ts)]
ru = [s if s[-1] in ".!?" else s.rstrip(":;,") + "." for t in ru for s in sentences(t.replace("&", "")) if re.search("[а-яА-Я]", s)]
rnd = random.Random(30)
parts, total = [], 0
while total < size:
    para = []
    for _ in range(rnd.randint(2, 4)):
        para.append(rnd.choice(ru))
        para.append(rnd.choice(en))
    rnd.shuffle(para)
    line = " ".join(para) + "\n"
    parts.append(line)
    total += len(line.encode())
Path(out).write_text("".join(parts), encoding="utf-8")
