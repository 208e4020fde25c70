#!/usr/bin/env bash
# Time from SIGTERM to the end of the window when it holds a 10 MB document that is not saved
# yet: the close writes the text and the settings first.
#   bench/close_on_signal.sh [BUILD_DIR]   (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/release}")
cmake --build "$build" --target vernalo >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data" "$work/run"
chmod 700 "$work/run"
# About 10 MB of formatted paragraphs, Russian and English.
{
  printf '{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0 Arial;}}\r\n'
  line="{\\\\b Hello world}, reading aloud. \\\\'cf\\\\'f0\\\\'e8\\\\'e2\\\\'e5\\\\'f2, {\\\\i \\\\'ec\\\\'e8\\\\'f0}.\\\\par\r\n"
  for _ in $(seq 120000); do printf "$line"; done
  printf '}'
} >"$work/big.rtf"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} QT_LOGGING_RULES="vernalo.app.info=true"
export XDG_RUNTIME_DIR=$work/run HOME=$work
cd "$work"
"$build/src/app/vernalo" "$work/big.rtf" >"$work/log" 2>&1 &
pid=$!
for _ in $(seq 600); do grep -q 'opened' "$work/log" && break; sleep 0.1; done
start=$(date +%s%N)
kill -TERM "$pid"
wait "$pid" || true
end=$(date +%s%N)
printf 'document %d bytes; SIGTERM to exit %d ms; text.txt %d bytes\n' \
  "$(stat -c %s "$work/big.rtf")" $(((end - start) / 1000000)) "$(stat -c %s "$work/data/text.txt")"
