# Sourced by test.sh: a private X server and a PulseAudio server with a null sink whose
# monitor is recorded, so tests can show windows and check that speech really came out.
# Everything started here is stopped on exit, in reverse order.

_vernalo_pids=()
vernalo_stop_services() {
  local i
  for ((i = ${#_vernalo_pids[@]} - 1; i >= 0; i--)); do
    kill "${_vernalo_pids[i]}" 2>/dev/null || true
  done
  for ((i = ${#_vernalo_pids[@]} - 1; i >= 0; i--)); do
    wait "${_vernalo_pids[i]}" 2>/dev/null || true
  done
  [ -n "${VERNALO_RUNTIME_DIR:-}" ] && rm -rf "$VERNALO_RUNTIME_DIR"
}

vernalo_start_services() {
  VERNALO_RUNTIME_DIR=$(mktemp -d)
  chmod 700 "$VERNALO_RUNTIME_DIR"
  export XDG_RUNTIME_DIR=$VERNALO_RUNTIME_DIR
  # A display number nobody uses.
  local d=95
  while [ -e "/tmp/.X11-unix/X$d" ] || [ -e "/tmp/.X$d-lock" ]; do d=$((d + 1)); done
  Xvfb ":$d" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  _vernalo_pids+=($!)
  export DISPLAY=":$d"
  pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit -n \
    --load="module-null-sink sink_name=vernalo_null" --load=module-native-protocol-unix \
    >"$VERNALO_RUNTIME_DIR/pulse.log" 2>&1 &
  _vernalo_pids+=($!)
  local i
  for i in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  # Without a reader the null sink consumes in 2-second blocks and playback ends late.
  export VERNALO_MONITOR="$VERNALO_RUNTIME_DIR/monitor.raw"
  parec -d vernalo_null.monitor --latency-msec=20 --format=s16le --rate=22050 --channels=1 \
    >"$VERNALO_MONITOR" 2>/dev/null &
  _vernalo_pids+=($!)
  for i in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  # A fresh sound server brings its first sound to the recording late: sound once before
  # the tests do.
  sox -q -n -t raw -r 22050 -e signed -b 16 -c 1 - synth 0.3 sine 440 vol 0.1 2>/dev/null |
    pacat --rate=22050 --format=s16le --channels=1 -d vernalo_null 2>/dev/null || true
  sleep 0.5
  vernalo_start_speech_service
}

# A speech-dispatcher of the tests' own on a private socket, its sound on the null sink; the
# tests find it through SPEECHD_ADDRESS. Skipped when it is not installed.
vernalo_start_speech_service() {
  command -v speech-dispatcher >/dev/null 2>&1 || return 0
  local conf="$VERNALO_RUNTIME_DIR/speech-dispatcher"
  mkdir -p "$conf"
  cat >"$conf/speechd.conf" <<'CONF'
AudioOutputMethod "pulse"
AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"
AddModule "flite" "sd_flite" "flite.conf"
DefaultModule espeak-ng
CONF
  # The modules' own settings come from the system's configuration folder.
  local f
  for f in /etc/speech-dispatcher/modules /etc/speech-dispatcher/clients; do
    [ -d "$f" ] && ln -s "$f" "$conf/"
  done
  local socket="$VERNALO_RUNTIME_DIR/speechd.sock"
  speech-dispatcher -s -t 0 -l 1 -S "$socket" -C "$conf" -L "$VERNALO_RUNTIME_DIR" \
    -P "$VERNALO_RUNTIME_DIR/speechd.pid" >"$VERNALO_RUNTIME_DIR/speechd.log" 2>&1 &
  _vernalo_pids+=($!)
  local i
  for i in $(seq 50); do [ -S "$socket" ] && break; sleep 0.1; done
  export SPEECHD_ADDRESS="unix_socket:$socket"
}
