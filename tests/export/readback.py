#!/usr/bin/python3
"""Reads an exported file's chapter marks, cover and year back through two readers of their
own, ffprobe and mutagen, one finding a line:
    READER<TAB>chapter<TAB>SECONDS<TAB>TITLE
    READER<TAB>cover<TAB>COUNT
    ffprobe<TAB>date<TAB>VALUE
Exits with 77, naming what is missing, when a reader is not installed."""
import json
import shutil
import subprocess
import sys


def clock(text):
    h, m, s = text.split(":")
    return int(h) * 3600 + int(m) * 60 + float(s)


def main(path):
    if not shutil.which("ffprobe"):
        print("ffprobe (ffmpeg) is not installed")
        return 77
    try:
        import mutagen
        import mutagen.id3
    except ImportError:
        print("python3-mutagen is not installed")
        return 77
    probe = json.loads(subprocess.run(
        ["ffprobe", "-v", "error", "-show_chapters", "-show_streams", "-show_format",
         "-of", "json", path], capture_output=True, check=True).stdout)
    for c in probe.get("chapters", []):
        print("ffprobe\tchapter\t%s\t%s" % (c["start_time"], c.get("tags", {}).get("title", "")))
    streams = probe.get("streams", [])
    print("ffprobe\tcover\t%d" % sum(s.get("disposition", {}).get("attached_pic", 0)
                                     for s in streams))
    tags = dict(probe.get("format", {}).get("tags", {}))
    for s in streams:
        tags.update(s.get("tags", {}))
    print("ffprobe\tdate\t%s" % {k.lower(): v for k, v in tags.items()}.get("date", ""))

    chapters, covers = [], 0
    if path.endswith(".mp3"):
        id3 = mutagen.id3.ID3(path)
        for c in sorted(id3.getall("CHAP"), key=lambda c: c.start_time):
            chapters.append((c.start_time / 1000, c.sub_frames["TIT2"].text[0]))
        covers = len(id3.getall("APIC"))
    else:
        f = mutagen.File(path)
        if path.endswith(".m4b"):
            chapters = [(c.start, c.title) for c in (f.chapters or [])]
            covers = len(f.tags.get("covr", []))
        else:
            n = 1
            while "CHAPTER%03d" % n in f.tags:
                chapters.append((clock(f.tags["CHAPTER%03d" % n][0]),
                                 f.tags["CHAPTER%03dNAME" % n][0]))
                n += 1
            covers = len(f.tags.get("METADATA_BLOCK_PICTURE", [])) + len(getattr(f, "pictures", []))
    for start, title in chapters:
        print("mutagen\tchapter\t%.4f\t%s" % (start, title))
    print("mutagen\tcover\t%d" % covers)
    return 0


sys.exit(main(sys.argv[1]))
