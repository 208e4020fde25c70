#!/bin/sh
# The read-along book of a fixture, checked by epubcheck: no error and no warning.
# Usage: epubcheck_book.sh VERNALO_CLI DOCUMENT WORK_FOLDER
set -u
jar=/usr/share/java/epubcheck.jar
if ! command -v java >/dev/null 2>&1 || [ ! -f "$jar" ]; then
  echo "epubcheck is missing (scripts/install-deps.sh installs it): not checked"
  exit 77
fi
rm -rf "$3" && mkdir -p "$3" || exit 1
"$1" say --out "$3/book.epub" "$2" 2>"$3/say.log" || { cat "$3/say.log"; exit 1; }
java -jar "$jar" --failonwarnings "$3/book.epub"
