#!/usr/bin/env bash
# The real-window check: the real build/DALU/dalumaster on a private X server (Xvfb) under
# a window manager (openbox) with a private sound server (PulseAudio, null sink), driven by
# real input events (xdotool).
#
#   A  a match: the user against "No Attack", started with Ctrl+S, steered with the arrow
#      keys, Z and X, dropped with the down arrow; Stop and Continue (Ctrl+Z); stopped, the
#      language switched through the configuration dialog; continued and closed while it
#      waits for a key.
#   B  a record given on the command line, stepped with ">", ended with "×", continued live
#      and stopped; the fields shown are compared with those `dalumaster-cli replay` prints.
#   C  the same record run to its end with ">>", compared again; continued live and closed
#      in the middle of an animation.
#   E  a damaged configuration file, without the window manager: the message at start-up,
#      then Ctrl+S reaches the window without anyone focusing it by hand; AutoTwin shown
#      while it is on, and switched off again after EditMode.
#   F  in Japanese: the Load dialog (Qt's own texts in Japanese), the Controls dialog of
#      the Edit menu (every option ticked, kept in DaluMaster.ini), and a match showing
#      where the twin will land, moved once per press and dropped with Space.
#   H, R  the coach (scripts/window-check-coach.sh): the hint's ghost twin and candidate
#      table while the user steers; Review with its progress, graph and marks, Next mistake
#      and Try again on the record of B.
#   T, W  the match just played (scripts/window-check-history.sh): take back with
#      Backspace, Stop and Save As, History at close; a computer match to its burial, its
#      copy in History, studied with Left without a load, and File > Recent.
#   D  the installed program: `cmake --install` into a temporary prefix, the launcher, the
#      desktop entry, and the installed window started once where it may write and once
#      where it may not.
#   P  the Debian package (as root only): `cpack -G DEB`, installed with apt, the installed
#      window opening a record as a file manager would, the package removed again.
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
for cmd in Xvfb openbox xdotool pulseaudio pactl parec; do
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
  # Under the window manager the frame, title bar and close box included, lies at the
  # screen's top-left corner, and the window inside it below its title bar.
  frame=$("$tool" frame "$win" | tr '\n' ' ') || true
  read -r fx fy fw fh cx cy <<<"${frame:-? ? ? ? ? ?}"
  echo "   frame at $fx,$fy ($fw x $fh), window at $cx,$cy"
  [ "$fx,$fy" = "0,0" ] || fail "A: the window's frame is at $fx,$fy, not at the top-left corner"
  [ "$cy" -gt "$fy" ] 2>/dev/null || fail "A: the window has no title bar above it (frame $fy, window $cy)"
  # The left selector to "User" (the first entry), the right one to "No Attack".
  levels Home "Home Down"
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
    # The dialog's client area as the X server places it (xdotool's own report counts
    # the window manager's frame in twice).
    read -r dx dy < <("$tool" frame "$dialog" | sed -n 2p)
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

# ---- E: a message at start-up -------------------------------------------------------------------

step "E: a damaged DaluCfg.txt: its message at start-up, then the keys reach the window"
# Without a window manager nobody but the program hands the keyboard back to the window
# when the message box goes away.
window_wm_stop
cp "$work/DaluCfg.txt" "$WENV_DIR/DaluCfg.kept"
printf 'ChainCount Wait\r\nslow\r\n' >"$work/DaluCfg.txt"
"$work/dalumaster" >"$out/E.out" 2>"$out/E.err" &
pid=$!
win=$(timeout 15 xdotool search --sync --onlyvisible --pid "$pid" --name "Dalu Master" | head -n1) || true
if [ -z "$win" ]; then
  fail "E: no window appeared"
else
  sleep 1.5
  shot E-message
  # Keys go wherever the desktop put the keyboard, no window is focused by hand: the
  # message box takes Return, and the main window Ctrl+S once the box is gone.
  xdotool key Return
  sleep 1
  xdotool key ctrl+s
  for _ in $(seq 30); do
    case "$(title)" in Autosave.DBD*) break ;; *) sleep 0.1 ;; esac
  done
  shot E-started
  case "$(title)" in Autosave.DBD*) ;; *) fail "E: after the message Ctrl+S did not reach the window: $(title)" ;; esac
  # Where the picture lies now: no frame moves it without the window manager.
  for _ in $(seq 50); do
    "$tool" grab "$WENV_DIR/locate.png" 2>/dev/null
    if loc=$("$tool" locate "$WENV_DIR/locate.png" --appdir "$work" 2>/dev/null); then
      read -r pic_x pic_y <<<"$loc"
      break
    fi
    sleep 0.1
  done
  # AutoTwin is shown above the fields while it is on, and it can be switched off again
  # after EditMode (the first item of the Edit menu; AutoTwin is the second).
  edit_item() {
    xdotool mousemove --sync $((pic_x + 199)) $((pic_y - 12)) click 1
    sleep 0.3
    xdotool key --delay 100 "$@" Return
    sleep 0.3
  }
  edit_item Down
  edit_item Down Down
  shot E-autotwin-on
  edit_item Down
  edit_item Down Down
  shot E-autotwin-off
  close_window
  finish E
fi
cp "$WENV_DIR/DaluCfg.kept" "$work/DaluCfg.txt"
window_wm_start || fail "E: openbox did not start again"

window_record_stop
if "$tool" loudness "$out/sound.raw" >"$out/sound.txt"; then
  echo "   the chain sounds reached the sound server: $(cat "$out/sound.txt")"
else
  fail "nothing was heard on the sound server: $(cat "$out/sound.txt")"
fi

# ---- F: Japanese dialogs, the Controls dialog and the landing outline ---------------------------

step "F: Japanese Load dialog, the Controls dialog, the landing outline"
# Japanese (item 13 of DaluCfg.txt, line 28) and no steering options yet.
if [ -f "$work/DaluCfg.txt" ]; then
  sed -i '28s/^[-0-9]*/1/' "$work/DaluCfg.txt"
fi
rm -f "$work/DaluMaster.ini"
if start E; then
  key ctrl+l
  sleep 1
  shot F-load-dialog-ja
  xdotool key Escape
  sleep 0.5
  # Edit, "編集関係", is the fourth item of the menu bar, 245 pixels right of the picture's
  # left edge in the IPA face; its fourth item is Controls.
  xdotool mousemove --sync $((pic_x + 245)) $((pic_y - 12)) click 1
  sleep 0.5
  shot F-edit-menu
  xdotool key --delay 200 Down Down Down Down Return
  sleep 1
  # Every option: move on press only (space), the drop key (Space, the second entry),
  # show where the twin lands; then OK.
  xdotool key --delay 200 space Tab Down Tab space
  sleep 0.3
  shot F-controls-dialog
  xdotool key Return
  sleep 0.5
  ini=$work/DaluMaster.ini
  if grep -q '^ShowLanding=true' "$ini" 2>/dev/null && grep -q '^MovePressOnly=true' "$ini" &&
     grep -q '^DropKey=32' "$ini"; then
    echo "   the Controls dialog kept every option in DaluMaster.ini"
  else
    fail "F: the Controls dialog did not keep its options in DaluMaster.ini"
  fi
  # The user against No Attack: the outline shows where the twin lands.
  levels Home "Home Down"
  key ctrl+s
  sleep 1
  shot F-landing-outline
  key Left
  sleep 0.5
  shot F-moved-once
  key space
  sleep 1.5
  settle || true
  shot F-dropped-with-space
  close_window
  finish E
fi
# ---- H, R: the coach ------------------------------------------------------------------------------

source scripts/window-check-coach.sh
coach_checks

# ---- T, W: the match just played --------------------------------------------------------------

source scripts/window-check-history.sh
history_checks

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

# ---- P: the Debian package ----------------------------------------------------------------------

if [ "$(id -u)" -ne 0 ]; then
  step "P: the Debian package: skipped (installing a package needs root)"
else
  step "P: cpack -G DEB, installed with apt, started, removed"
  rm -f build/dalumaster_*.deb
  (cd build && cpack -G DEB) >"$out/cpack.log" 2>&1 || fail "P: cpack failed (see $out/cpack.log)"
  deb=$(ls build/dalumaster_*.deb 2>/dev/null | head -n1)
  if [ -z "$deb" ]; then
    fail "P: cpack made no build/dalumaster_*.deb"
  elif ! apt-get install -y "./$deb" >"$out/apt-install.log" 2>&1; then
    fail "P: apt-get install ./$deb failed (see $out/apt-install.log)"
  else
    echo "   installed $(basename "$deb")"
    for f in /usr/bin/dalumaster /usr/bin/dalumaster-cli /usr/lib/dalumaster/DALU/dalumaster \
             /usr/share/applications/dalumaster.desktop /usr/share/mime/packages/dalumaster.xml \
             /usr/share/metainfo/org.dalumaster.DaluMaster.metainfo.xml \
             /usr/share/icons/hicolor/256x256/apps/dalumaster.png; do
      [ -e "$f" ] || fail "P: the package did not install $f"
    done
    grep -qx 'Exec="/usr/bin/dalumaster" %f' /usr/share/applications/dalumaster.desktop ||
      fail "P: the installed desktop entry does not start /usr/bin/dalumaster"
    # As a file manager opens a record: the entry's command with the file, as a user.
    pkg_home=$WENV_DIR/pkg-home
    mkdir -p "$pkg_home/run"
    chmod 700 "$pkg_home/run"
    cp "$record" "$pkg_home/record.DBD"
    chown -R nobody "$pkg_home"
    setpriv --reuid=nobody --regid=nogroup --clear-groups \
      env HOME="$pkg_home" XDG_RUNTIME_DIR="$pkg_home/run" \
      /usr/bin/dalumaster "$pkg_home/record.DBD" >"$out/P.out" 2>"$out/P.err" &
    pid=$!
    win=$(timeout 15 xdotool search --sync --onlyvisible --name "record.DBD" | head -n1) || true
    if [ -n "$win" ]; then
      sleep 1
      shot P-package-opens-a-record
      close_window
      finish P
    else
      fail "P: the installed program showed no window with the record"
      kill "$pid" 2>/dev/null || true
    fi
  fi
  if dpkg-query -W dalumaster >/dev/null 2>&1; then
    apt-get remove -y dalumaster >"$out/apt-remove.log" 2>&1 || fail "P: apt-get remove failed"
    [ ! -e /usr/bin/dalumaster ] || fail "P: /usr/bin/dalumaster is still there after the removal"
  fi
fi

echo "screenshots and logs: $out"
if [ "$failures" -gt 0 ]; then
  echo "window check: $failures failures"
  exit 1
fi
echo "window check: passed"
