#!/bin/sh
# A stand-in for RHVoice's command-line client (RHVoice-test) with the same interface as far
# as Vernalo uses it (RHVoice is not packaged here): -p voice, -r rate in percent, -o WAV file,
# the text on standard input. espeak-ng makes the sound.
rate=100
out=
while [ $# -gt 0 ]; do
    case "$1" in
        -p) shift ;;
        -r) rate="$2"; shift ;;
        -o) out="$2"; shift ;;
    esac
    shift
done
[ -n "$out" ] || { echo "no -o" >&2; exit 1; }
espeak-ng -v ru -s $((175 * rate / 100)) -w "$out"
