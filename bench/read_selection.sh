#!/usr/bin/env bash
# From starting `vernalo --read-selection` (the window already running) to its first sound on
# the test sound server's recorded sink, beside the same sentence said by a plain
# `espeak-ng` command to the same sink. Rounds alternate between the two; medians printed.
#   bench/read_selection.sh [BUILD_DIR] [ROUNDS]   (default build/release, 10 rounds)
# The time is read off the recording: the sink's monitor is recorded without gaps at 22050
# samples a second, so the samples between the start and the first loud one are the wait.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/release}")
rounds=${2:-10}
vernalo=$build/src/app/vernalo
[ -x "$vernalo" ] || { echo "read_selection.sh: no $vernalo (build the vernalo target)" >&2; exit 2; }
for tool in xclip espeak-ng python3; do
  command -v "$tool" >/dev/null || { echo "read_selection.sh: $tool is not installed" >&2; exit 2; }
done

source scripts/test-services.sh
work=$(mktemp -d)
window=
cleanup() {
  [ -n "$window" ] && kill "$window" 2>/dev/null && wait "$window" 2>/dev/null
  vernalo_stop_services
  rm -rf "$work"
}
trap cleanup EXIT
vernalo_start_services >/dev/null 2>&1
mkdir -p "$work/data" "$work/run"
chmod 700 "$work/run"
printf 'old text\r\n' >"$work/data/text.txt"
# The window's lock and socket go to a runtime folder of its own; the sound server stays.
export PULSE_SERVER=unix:$XDG_RUNTIME_DIR/pulse/native
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work/run HOME=$work LC_ALL=C.UTF-8
cd "$work"
QT_LOGGING_RULES="vernalo.app.info=true" "$vernalo" >"$work/log" 2>&1 &
window=$!
for _ in $(seq 600); do grep -q 'listening' "$work/log" && break; sleep 0.1; done
sleep 3  # the voices and dictionaries load

sentence="The quick brown fox jumps over the lazy dog."
printf '%s' "$sentence" | xclip -selection primary
# Waits for the first loud sample after byte $1 of the recording, then for quiet; prints the
# milliseconds from byte $1 to that sample.
first_sound_ms() {
  python3 - "$VERNALO_MONITOR" "$1" <<'PY'
import struct, sys, time
path, start = sys.argv[1], int(sys.argv[2]) & ~1
deadline = time.time() + 20
while time.time() < deadline:
    with open(path, 'rb') as f:
        f.seek(start)
        data = f.read()
    samples = struct.unpack('<%dh' % (len(data) // 2), data[:len(data) // 2 * 2])
    for i, s in enumerate(samples):
        if abs(s) > 300:
            # Let the speech end before the next round starts.
            while True:
                time.sleep(0.2)
                with open(path, 'rb') as f:
                    f.seek(-8820, 2)
                    tail = f.read()
                if max(abs(v) for v in struct.unpack('<%dh' % (len(tail) // 2), tail)) <= 300:
                    break
            print(i * 1000 // 22050)
            sys.exit(0)
    time.sleep(0.05)
print(-1)
PY
}
ours=()
peer=()
for _ in $(seq "$rounds"); do
  from=$(stat -c %s "$VERNALO_MONITOR")
  "$vernalo" --read-selection
  ours+=("$(first_sound_ms "$from")")
  from=$(stat -c %s "$VERNALO_MONITOR")
  espeak-ng -v en-us "$sentence"
  peer+=("$(first_sound_ms "$from")")
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
printf 'command to first sound, window running (median of %d): vernalo --read-selection %d ms; espeak-ng %d ms\n' \
  "$rounds" "$(median "${ours[@]}")" "$(median "${peer[@]}")"
printf '  vernalo: %s\n  espeak-ng: %s\n' "${ours[*]}" "${peer[*]}"
