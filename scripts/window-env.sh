# Sourced by the window scripts: a private X server without a screen with a window manager
# (openbox) on it, a private sound server whose only output is a null sink, and a
# recording of what reaches that sink.
# Nothing of the user's session is used or touched: the servers, their sockets and HOME
# live in one temporary folder that is removed on exit.
#
#   window_env_open       empties $out, starts both servers (stopped on exit) and copies
#                         the program directory $app into $work
#   window_env_start      starts both servers and the window manager; sets DISPLAY,
#                         XDG_RUNTIME_DIR, HOME
#   window_wm_stop, window_wm_start   stop and start the window manager again
#   window_record_start F records the null sink's monitor into F (raw s16le, mono 22050 Hz)
#   window_record_stop    ends the recording
#   window_env_stop       stops everything (also run on exit)
#
# Then the helpers that drive the window (start, key, click, settle, shot, compare,
# finish, ...). They use $tool (build/tools/dalu_wincheck), $app (build/DALU), $out (where
# screenshots and logs go) and a function `fail`, set by the script that sources this file,
# and $work (the copy of the program directory the window runs from), set by
# window_env_open.

WENV_DIR=$(mktemp -d /tmp/dalu-window.XXXXXX)
WENV_XVFB=""
WENV_PAREC=""
WENV_PULSE=""
WENV_WM=""

window_env_stop() {
  window_record_stop
  window_wm_stop
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
  # On a Wayland desktop Qt would otherwise open the window there, not on this server.
  export QT_QPA_PLATFORM=xcb
  unset WAYLAND_DISPLAY

  window_wm_start || return 1

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

# A window manager, as on a desktop: it puts a frame with a title bar around the window
# and decides where windows go, so the checks see the placement a user sees. It tells
# through its start-up command that it manages the screen.
window_wm_start() {
  rm -f "$WENV_DIR/wm-ready"
  openbox --sm-disable --startup "touch $WENV_DIR/wm-ready" >"$WENV_DIR/openbox.log" 2>&1 &
  WENV_WM=$!
  for _ in $(seq 100); do
    [ -e "$WENV_DIR/wm-ready" ] && return 0
    sleep 0.05
  done
  echo "window-env: openbox did not start:" >&2
  cat "$WENV_DIR/openbox.log" >&2
  return 1
}

window_wm_stop() {
  if [ -n "$WENV_WM" ]; then
    kill "$WENV_WM" 2>/dev/null || true
    wait "$WENV_WM" 2>/dev/null || true
    WENV_WM=""
  fi
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

window_env_open() {
  rm -rf "$out"
  mkdir -p "$out"
  trap window_env_stop EXIT
  window_env_start
  work=$WENV_DIR/DALU
  window_workdir "$app" "$work"
}

# ---- Driving the window ----------------------------------------------------------------------

# window_workdir APP DIR: a copy of the program directory APP in DIR, so the scripts never
# change build/DALU/ (its configuration, its GameData/).
window_workdir() {
  mkdir -p "$2/GameData"
  cp -r "$1/dalumaster" "$1/dalumaster-cli" "$1"/*.so "$1"/*.bmp "$1/DM_help.tfh" "$1/wavdt" "$2/"
}


pid=""
win=""
pic_x=0
pic_y=0
shot_n=0

# start NAME [ARGS...]: starts the window, waits for it and for its first paint.
start() {
  local name=$1
  shift
  "$work/dalumaster" "$@" >"$out/$name.out" 2>"$out/$name.err" &
  pid=$!
  win=$(timeout 15 xdotool search --sync --onlyvisible --pid "$pid" --name "Dalu Master" | head -n1) || true
  if [ -z "$win" ]; then
    fail "$name: no window appeared"
    return 1
  fi
  # The program moves its frame to the corner once the window manager has framed the
  # window; the X round trips of that move may still be under way when the window shows.
  # Up to 3 s for the frame to reach the corner (or for a window without a frame), so that
  # the picture is located where it stays.
  local fx fy fw fh cx cy origin
  for _ in $(seq 30); do
    read -r fx fy fw fh cx cy <<<"$("$tool" frame "$win" 2>/dev/null | tr '\n' ' ')"
    [ "${fx:-},${fy:-}" = "0,0" ] && break
    [ "${fx:-},${fy:-}" = "${cx:-},${cy:-}" ] && break
    sleep 0.1
  done
  origin=${cx:-0},${cy:-0}
  for _ in $(seq 50); do
    "$tool" grab "$WENV_DIR/locate.png" 2>/dev/null
    if loc=$("$tool" locate "$WENV_DIR/locate.png" --appdir "$work" --origin "$origin" 2>/dev/null); then
      read -r pic_x pic_y <<<"$loc"
      return 0
    fi
    sleep 0.1
  done
  fail "$name: the playfield picture was never painted"
  return 1
}

focus() { xdotool windowfocus --sync "$win" 2>/dev/null || xdotool windowfocus "$win"; }
key() {
  focus
  xdotool key --delay 150 "$@"
}
# click X Y: a mouse click at picture coordinates.
click() {
  xdotool mousemove --sync $((pic_x + $1)) $((pic_y + $2)) click 1
  sleep 0.1
}

# settle: waits until the screen stops changing (two grabs 300 ms apart are identical).
settle() {
  "$tool" grab "$WENV_DIR/a.png"
  for _ in $(seq 60); do
    sleep 0.3
    "$tool" grab "$WENV_DIR/b.png"
    cmp -s "$WENV_DIR/a.png" "$WENV_DIR/b.png" && return 0
    mv "$WENV_DIR/b.png" "$WENV_DIR/a.png"
  done
  return 1
}

# shot NAME: a screenshot into the output folder; its path is left in $SHOT.
SHOT=""
shot() {
  shot_n=$((shot_n + 1))
  SHOT=$(printf '%s/%02d-%s.png' "$out" "$shot_n" "$1")
  "$tool" grab "$SHOT"
}

# compare SHOT EXPECTED NAME: the cells of the screenshot against a result block.
compare() {
  if "$tool" cells "$1" "$2" --appdir "$work" --origin "$pic_x,$pic_y" >"$out/$3.cells" 2>&1; then
    echo "   $3: the fields on screen match the replayed record"
  else
    fail "$3: the fields on screen differ from the replayed record (see $out/$3.cells)"
    cat "$out/$3.cells"
  fi
}

# finish NAME: waits for the program to end within 2 s; checks its exit code and stderr.
finish() {
  local name=$1 code=0
  for _ in $(seq 40); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  if kill -0 "$pid" 2>/dev/null; then
    fail "$name: still running 2 s after the window was closed"
    kill "$pid" 2>/dev/null || true
  fi
  wait "$pid" || code=$?
  [ "$code" -eq 0 ] || fail "$name: exit code $code"
  if [ -s "$out/$name.err" ]; then
    fail "$name: wrote to stderr:"
    cat "$out/$name.err"
  fi
  pid=""
  echo "   $name: exit code $code"
}

close_window() { "$tool" close "$win"; }

# levels LEFT RIGHT: the level selectors by keys, each list opened with a click, e.g.
# `levels "Home" "Home Down"`: the user (the first entry) against No Attack (the second).
levels() {
  # The keys are words of their own: $1 and $2 stay unquoted on purpose.
  click 100 11
  key $1 Return
  click 570 11
  key $2 Return
}

title() { xdotool getwindowname "$win" 2>/dev/null || true; }

# A seeded match between two computer levels, cut after turn T with the end "Halt", so the
# replay stops with both fields in play rather than under the burial fill.
cut_record() {
  awk -v T="$2" 'BEGIN { ORS = "\r\n" }
    { sub(/\r$/, "") }
    NR == 21 { printf "%04d%s\r\n", T, substr($0, 5); next }
    NR == 22 { print "Halt"; next }
    NR == 23 { R = substr($0, 1, 4) + 0 }
    NR <= 23 + 2 * R { print; next }
    t < T { print; if (substr($0, 1, 2) != "CM") t++ }
    END { print "[EoF]" }' "$1"
}

