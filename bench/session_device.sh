#!/bin/bash
# Prints the reading session's latency figures on a real audio device: a private PulseAudio
# server with a null sink whose monitor is recorded (so the sink plays in real time); the
# benchmark finds the words in the recording and times them there.
# Usage: bench/session_device.sh [BUILD_DIR]   (default build/release)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build/release}
bench=$build/bench/session_bench
[ -x "$bench" ] || { echo "session_device.sh: no $bench (build the session_bench target)" >&2; exit 2; }

runtime=$(mktemp -d)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR=$runtime
pids=()
cleanup() {
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do wait "${pids[i]}" 2>/dev/null || true; done
  rm -rf "$runtime"
}
trap cleanup EXIT

pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit -n \
  --load="module-null-sink sink_name=bench_null" --load=module-native-protocol-unix \
  >"$runtime/pulse.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
# A recorder with a short latency keeps the null sink from rendering far ahead: when a stream
# starts, the server renders that stretch again with the new audio, and a recorder that has
# already been sent the first rendering would miss the start of the words.
export VERNALO_MONITOR=$runtime/monitor.raw
parec -d bench_null.monitor --latency-msec=5 --format=s16le --rate=22050 --channels=1 \
  >"$VERNALO_MONITOR" 2>/dev/null &
pids+=($!)
# The recorder takes about a second to deliver its first samples.
for _ in $(seq 100); do [ -s "$VERNALO_MONITOR" ] && break; sleep 0.1; done
sleep 0.5

"$bench" --benchmark_filter='device:1|SoundAfterReset' "${@:2}"
