# Sourced by the window scripts: a private X server without a screen, a private sound
# server whose only output is a null sink, and a recording of what reaches that sink.
# Nothing of the user's session is used or touched: the servers, their sockets and HOME
# live in one temporary folder that is removed on exit.
#
#   window_env_start      starts both servers; sets DISPLAY, XDG_RUNTIME_DIR, HOME
#   window_record_start F records the null sink's monitor into F (raw s16le, mono 22050 Hz)
#   window_record_stop    ends the recording
#   window_env_stop       stops everything (also run on exit)

WENV_DIR=$(mktemp -d /tmp/dalu-window.XXXXXX)
WENV_XVFB=""
WENV_PAREC=""
WENV_PULSE=""

window_env_stop() {
  window_record_stop
  if [ -n "$WENV_PULSE" ]; then
    pulseaudio -k >/dev/null 2>&1 || kill "$WENV_PULSE" 2>/dev/null || true
    WENV_PULSE=""
  fi
  if [ -n "$WENV_XVFB" ]; then
    kill "$WENV_XVFB" 2>/dev/null || true
    wait "$WENV_XVFB" 2>/dev/null || true
    WENV_XVFB=""
  fi
  rm -rf "$WENV_DIR"
}

window_env_start() {
  # The X server picks a free display itself and tells it through fd 3.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WENV_DIR/display" \
    >"$WENV_DIR/xvfb.log" 2>&1 &
  WENV_XVFB=$!
  for _ in $(seq 100); do
    [ -s "$WENV_DIR/display" ] && break
    sleep 0.05
  done
  if [ ! -s "$WENV_DIR/display" ]; then
    echo "window-env: Xvfb did not start:" >&2
    cat "$WENV_DIR/xvfb.log" >&2
    return 1
  fi
  export DISPLAY=":$(head -n1 "$WENV_DIR/display")"

  # The sound server runs as whoever runs this (root on CI) with its runtime folder, its
  # cookie and its configuration in the temporary folder. The null sink renders far ahead
  # of the clock; with rewinds allowed, a stream that starts while it is ahead rewinds the
  # sink and its monitor hands the recorder nothing but silence, so rewinds are off.
  export HOME="$WENV_DIR/home" XDG_RUNTIME_DIR="$WENV_DIR/run"
  unset PULSE_SERVER XDG_CONFIG_HOME
  mkdir -p "$HOME" && mkdir -m 700 -p "$XDG_RUNTIME_DIR"
  pulseaudio -D -n --exit-idle-time=-1 --log-target=file:"$WENV_DIR/pulse.log" \
    --load="module-null-sink sink_name=nullsink norewinds=1" --load=module-native-protocol-unix \
    2>>"$WENV_DIR/pulse.log"
  for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.05
  done
  if ! pactl info >/dev/null 2>&1; then
    echo "window-env: PulseAudio did not start:" >&2
    cat "$WENV_DIR/pulse.log" >&2
    return 1
  fi
  WENV_PULSE=$(cat "$XDG_RUNTIME_DIR/pulse/pid" 2>/dev/null || echo "")
  pactl set-default-sink nullsink
}

window_record_start() {
  parec -d nullsink.monitor --raw --format=s16le --channels=1 --rate=22050 >"$1" &
  WENV_PAREC=$!
}

window_record_stop() {
  if [ -n "$WENV_PAREC" ]; then
    kill "$WENV_PAREC" 2>/dev/null || true
    wait "$WENV_PAREC" 2>/dev/null || true
    WENV_PAREC=""
  fi
}
