#!/usr/bin/env bash
# The real-window check: the real build/DALU/dalumaster on a private X server (Xvfb) with a
# private sound server (PulseAudio, null sink), driven by real input events (xdotool).
#
#   A  a match: the user against "No Attack", started with Ctrl+S, steered with the arrow
#      keys, Z and X, dropped with the down arrow; Stop and Continue (Ctrl+Z); stopped, the
#      language switched through the configuration dialog; continued and closed while it
#      waits for a key.
#   B  a record given on the command line, stepped with ">", ended with "×", continued live
#      and stopped; the fields shown are compared with those `dalumaster-cli replay` prints.
#   C  the same record run to its end with ">>", compared again; continued live and closed
#      in the middle of an animation.
#   H, R  the coach (scripts/window-check-coach.sh): the hint's ghost twin and candidate
#      table while the user steers; Review with its progress, graph and marks, Next mistake
#      and Try again on the record of B.
#   D  the installed program: `cmake --install` into a temporary prefix, the launcher, the
#      desktop entry, and the installed window started once where it may write and once
#      where it may not.
#
# Every run must end with exit code 0 and nothing on stderr; the chain sounds must reach
# the sound server (its recorded monitor is not silent). Screenshots and logs go to
# build/test-output/window/. Without build/DALU/dalumaster the check is skipped.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
app=$root/build/DALU
tool=$root/build/tools/dalu_wincheck
out=$root/build/test-output/window

if [ ! -x "$app/dalumaster" ]; then
  echo "window check skipped: build/DALU/dalumaster does not exist (the window is not built)"
  exit 0
fi
if [ ! -x "$tool" ]; then
  echo "window check skipped: build/tools/dalu_wincheck does not exist (no xcb headers)"
  exit 0
fi
for cmd in Xvfb xdotool pulseaudio pactl parec; do
  command -v "$cmd" >/dev/null || { echo "window check: $cmd is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
done

source scripts/window-env.sh
window_env_open

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}
step() { echo "-- $*"; }

# ---- The record the replays use --------------------------------------------------------------

step "making the record: dalumaster-cli play 3 6 --seed 5"
mkdir -p "$WENV_DIR/cli/GameData"
"$work/dalumaster-cli" play 3 6 --seed 5 --appdir "$WENV_DIR/cli" >"$out/play.txt"
turns=$(sed -n 's/^turns: //p' "$out/play.txt")
last=$((turns - 2))
record=$WENV_DIR/check.DBD
cut_record "$WENV_DIR/cli/GameData/AutoSave.DBD" "$last" >"$record"
cut_record "$WENV_DIR/cli/GameData/AutoSave.DBD" 3 >"$WENV_DIR/check3.DBD"
cp "$record" "$out/check.DBD"
"$work/dalumaster-cli" replay "$record" --appdir "$WENV_DIR/cli" >"$out/expected-last.txt"
"$work/dalumaster-cli" replay "$WENV_DIR/check3.DBD" --appdir "$WENV_DIR/cli" >"$out/expected-3.txt"
echo "   $turns turns, cut after turn $last"

window_record_start "$out/sound.raw"

# ---- A: a match at the keyboard --------------------------------------------------------------

step "A: the user against No Attack"
if start A; then
  shot A-start
  # The left selector to "User" (the first entry), the right one to "No Attack".
  click 100 11
  key Home Return
  click 570 11
  key Home Down Return
  shot A-levels
  key ctrl+s
  sleep 1
  shot A-started
  # Steer and drop: left twice and drop; turn with Z, right, drop; turn with X, drop.
  key Left Left Down
  sleep 1.5
  key z Right Right Down
  sleep 1.5
  key x Down
  sleep 1.5
  settle || true
  shot A-three-drops
  # Stop, and let the turn in progress finish (its twins drop where they stand), then
  # Continue: the next turn waits for the user's key again.
  key ctrl+z
  settle || true
  shot A-stopped
  key ctrl+z
  settle || true
  key Right Right Right Down
  sleep 1.5
  settle || true
  shot A-continued
  key ctrl+z
  settle || true
  shot A-stopped-again

  # The language through the configuration dialog (Config is refused while a match runs).
  # Its controls keep their fixed places: the language list at (256, 320), 161 x 22, and
  # OK at (368, 384), 75 x 25, in the dialog's client area.
  # open_config: Ctrl+G, then dx, dy := the dialog's client origin on the screen.
  open_config() {
    key ctrl+g
    dialog=""
    for _ in $(seq 20); do
      dialog=$(xdotool search --onlyvisible --name "Dalu Config Settlement|ダル設定" 2>/dev/null | head -n1) || true
      [ -n "$dialog" ] && break
      sleep 0.1
    done
    [ -n "$dialog" ] || return 1
    read -r dx dy < <(xdotool getwindowgeometry "$dialog" |
      sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p')
  }
  if ! open_config; then
    echo "   language switch skipped: Ctrl+G opens no configuration dialog in this build"
  else
    xdotool mousemove --sync $((dx + 336)) $((dy + 331)) click 1
    sleep 0.3
    xdotool key --delay 150 End Return
    shot A-config
    xdotool mousemove --sync $((dx + 405)) $((dy + 396)) click 1
    sleep 0.5
    if [ "$(sed -n '28p' "$work/DaluCfg.txt" | tr -d '\r')" = 1 ]; then
      echo "   the configuration dialog switched the language to Japanese"
      # Again, now in Japanese: one column wider with "∧" (at (328, 69)), then back to 7
      # with "∨" (at (328, 81)), so the stopped match keeps the size it was played on.
      open_config || fail "A: Ctrl+G did not open the configuration dialog again"
      xdotool mousemove --sync $((dx + 328)) $((dy + 69)) click 1
      sleep 0.3
      shot A-config-ja
      xdotool mousemove --sync $((dx + 405)) $((dy + 396)) click 1
      sleep 0.5
      shot A-wider-ja
      open_config || fail "A: Ctrl+G did not open the configuration dialog a third time"
      xdotool mousemove --sync $((dx + 328)) $((dy + 81)) click 1
      sleep 0.3
      xdotool mousemove --sync $((dx + 405)) $((dy + 396)) click 1
      sleep 0.5
    else
      fail "A: the configuration dialog did not switch the language (DaluCfg.txt item 13)"
    fi
  fi
  # Continue: the match waits for the user's key again, and the window is closed there.
  key ctrl+z
  sleep 1
  shot A-before-close
  close_window
  finish A
fi

# ---- B: a record stepped with ">" and ended with "×" -------------------------------------------

step "B: dalumaster FILE, stepped with \">\", ended with \"×\", continued live"
if start B "$record"; then
  settle || true
  shot B-loaded
  case "$(title)" in *":replay") ;; *) fail "B: the caption does not say it replays: $(title)" ;; esac
  for _ in 1 2 3; do
    click 616 496  # ">"
    settle || true
  done
  shot B-after-3-steps
  compare "$SHOT" "$out/expected-3.txt" B-after-3-steps
  click 616 464  # "×"
  settle || true
  shot B-ended
  compare "$SHOT" "$out/expected-3.txt" B-ended
  case "$(title)" in *":replay") fail "B: \"×\" did not end the replay: $(title)" ;; esac
  key ctrl+z
  sleep 2
  key ctrl+z
  settle || true
  shot B-continued-live
  close_window
  finish B
fi

# ---- C: the record run to its end with ">>" -----------------------------------------------------

step "C: dalumaster FILE, run to its end with \">>\", continued live, closed in an animation"
if start C "$record"; then
  settle || true
  click 648 496  # ">>"
  for _ in $(seq 600); do
    case "$(title)" in *":replay") sleep 0.1 ;; *) break ;; esac
  done
  settle || true
  shot C-replayed
  compare "$SHOT" "$out/expected-last.txt" C-replayed
  key ctrl+z
  sleep 1.5
  shot C-live
  close_window
  finish C
fi

window_record_stop
if "$tool" loudness "$out/sound.raw" >"$out/sound.txt"; then
  echo "   the chain sounds reached the sound server: $(cat "$out/sound.txt")"
else
  fail "nothing was heard on the sound server: $(cat "$out/sound.txt")"
fi

# ---- H, R: the coach ------------------------------------------------------------------------------

source scripts/window-check-coach.sh
coach_checks

# ---- D: the installed program -------------------------------------------------------------------

step "D: cmake --install into a temporary prefix"
prefix=$WENV_DIR/prefix
cmake --install build --prefix "$prefix" >"$out/install.log"
entry=$prefix/share/applications/dalumaster.desktop
[ -x "$prefix/bin/dalumaster" ] || fail "D: no launcher bin/dalumaster"
if [ -f "$entry" ]; then
  exec_line=$(sed -n 's/^Exec=//p' "$entry")
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [ "$exec_line" = "\"$prefix/bin/dalumaster\" %f" ] || fail "D: the desktop entry starts '$exec_line'"
  case "$icon" in "$prefix"/share/icons/hicolor/*.png) [ -f "$icon" ] || fail "D: no icon $icon" ;;
    *) fail "D: the desktop entry's icon is '$icon'" ;; esac
else
  fail "D: no desktop entry"
fi
installed=$prefix/lib/dalumaster/DALU
"$prefix/bin/dalumaster-cli" play 1 2 --seed 3 >/dev/null || fail "D: the installed dalumaster-cli failed"
[ -f "$installed/GameData/AutoSave.DBD" ] || fail "D: the installed dalumaster-cli saved no record in $installed/GameData"

# start_installed NAME: the installed window through its launcher, as the desktop entry does.
start_installed() {
  local name=$1
  shift
  "$@" "$prefix/bin/dalumaster" >"$out/$name.out" 2>"$out/$name.err" &
  pid=$!
  # The launcher replaces itself with the program: same process.
  win=$(timeout 15 xdotool search --sync --onlyvisible --name "Dalu Master" | head -n1) || true
  [ -n "$win" ] || { fail "$name: no window appeared"; return 1; }
  sleep 1
  shot "$name"
}

step "D: the installed window where the program directory is writable"
if start_installed D-in-place; then
  [ -f "$installed/DaluCfg.txt" ] || fail "D: no DaluCfg.txt written into $installed"
  close_window
  finish D-in-place
fi

step "D: the installed window where it is not (a private copy in the user's data folder)"
user_home=$WENV_DIR/user-home
mkdir -p "$user_home"
chmod 755 "$WENV_DIR"
if [ "$(id -u)" -eq 0 ]; then
  # root may write anywhere: run as an ordinary user instead.
  mkdir -m 700 "$user_home/run"
  chown -R nobody "$user_home"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups
           env HOME="$user_home" XDG_RUNTIME_DIR="$user_home/run")
else
  chmod -R a-w "$installed"
  as_user=(env HOME="$user_home")
fi
if start_installed D-private "${as_user[@]}"; then
  private=$user_home/.local/share/dalumaster/DALU
  [ -x "$private/dalumaster" ] || fail "D: no private program directory in $private"
  [ -f "$private/DaluCfg.txt" ] || fail "D: no DaluCfg.txt written into $private"
  cmp -s "$private/DaluChar.bmp" "$installed/DaluChar.bmp" || fail "D: the private copy lacks the pictures"
  close_window
  finish D-private
fi
[ "$(id -u)" -eq 0 ] || chmod -R u+w "$installed"

echo "screenshots and logs: $out"
if [ "$failures" -gt 0 ]; then
  echo "window check: $failures failures"
  exit 1
fi
echo "window check: passed"
