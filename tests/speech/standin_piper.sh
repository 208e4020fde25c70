#!/bin/sh
# A stand-in for the Piper program with the same command-line interface as far as Vernalo uses
# it (Piper itself is not packaged here): --model, --config, --output_raw, --length_scale; one
# line of text per utterance on standard input, raw 16-bit samples at the voice's rate on
# standard output, and the "Real-time factor" log line on standard error after each utterance.
# espeak-ng makes the sound (22050 Hz); the length scale becomes its words per minute.
scale=1
while [ $# -gt 0 ]; do
    case "$1" in
        --length_scale) scale="$2"; shift ;;
        --model|--config) [ -f "$2" ] || { echo "no file $2" >&2; exit 1; }; shift ;;
        --output_raw) ;;
    esac
    shift
done
wpm=$(awk -v s="$scale" 'BEGIN { printf "%d", 175 / s }')
while IFS= read -r line; do
    # The WAV header is 44 bytes: the samples follow it.
    printf '%s' "$line" | espeak-ng --stdout -v en -s "$wpm" | tail -c +45
    echo "[piper] [info] Real-time factor: 0.1 (infer=0.1 sec, audio=1 sec)" >&2
done
