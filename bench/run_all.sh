#!/usr/bin/env bash
# Builds and runs every benchmark and prints their figures, one section each.
#   bench/run_all.sh [BUILD_DIR]   (default build/release; configured by ./test.sh or ./run.sh)
# The speech and session figures need a sound server: this script starts a private one with a
# null sink (as the tests do), and an X server is not needed (offscreen).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
cmake --build "$build" --target reading_bench rtf_bench htmltortf_bench speech_bench session_bench \
  startup_bench dictload_bench browser_bench editor_bench outside_text_bench places_bench driven_bench vernalo vernalo-cli >/dev/null
export QT_QPA_PLATFORM=offscreen
# As root, the web engine runs only without its sandbox; this is for the benchmark alone.
if [ "$(id -u)" -eq 0 ]; then
  export QTWEBENGINE_DISABLE_SANDBOX=1 QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox --disable-gpu"
fi

section() { printf '\n==== %s ====\n' "$1"; }
# Google Benchmark's result lines only, and the figures the other programs print.
results() { grep -E '^(BM_|[A-Z][A-Za-z]+/|Synthesis|EspeakCommand)' || true; }
quiet() { grep -vE 'XDG_RUNTIME_DIR|propagateSizeHints|pa_context_connect|^qt\.|^ |^$|^[A-Z][a-z]+ [A-Z]|Sandboxing|^Init' || true; }

section "segmentation and dictionary parsing"
"$build/bench/reading_bench" 2>&1 | results
section "rich text load and save"
"$build/bench/rtf_bench" 2>&1 | results
section "HTML to rich text, and pandoc on the same page"
bench/html_vs_pandoc.sh "$build" 2>&1 | quiet
section "window start-up with a 1 MB last text"
"$build/bench/startup_bench" 2>&1 | quiet
section "editor: opening, undo, autosave with 10 MB"
"$build/bench/editor_bench" 2>&1 | results
section "a 10 MB text from another program beside the same text opened"
"$build/bench/outside_text_bench" 2>&1 | results
section "vernalo --read-selection to the first sound, beside espeak-ng"
bench/read_selection.sh "$build" 2>&1 | grep -E 'first sound|^  ' || true
section "a 10 MB book opened at its place, and the view following the reading"
"$build/bench/places_bench" --rounds 3 2>&1 | quiet
section "close on SIGTERM with an unsaved 10 MB text"
bench/close_on_signal.sh "$build" 2>&1 | quiet
section "dictionaries loaded at start-up"
"$build/bench/dictload_bench" 2>&1 | results
section "browser page"
"$build/bench/browser_bench" 2>&1 | results
section "speech engine"
(source scripts/test-services.sh; trap vernalo_stop_services EXIT; vernalo_start_services
 "$build/bench/speech_bench" 2>&1 | results)
section "reading session on the audio device"
bench/session_device.sh "$build" 2>&1 | results
section "speech-dispatcher voices beside the built-in ones, and spd-say -w"
bench/speechd_latency.sh "$build" 2>&1 | grep -E 'first sound' || true
section "Festival's voices driven by Vernalo beside speech-dispatcher's Festival module and text2wave"
# A 20 kB export keeps this section to minutes; bench/driven_voices.sh alone exports 100 kB.
bench/driven_voices.sh "$build" 20 2 2>&1 | grep -E '^(==|vernalo|spd-say|text2wave|Russian|English)' || true
