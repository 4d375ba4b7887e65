# Sourced by scripts/window-check.sh: the match just played in the real window.
#
#   T  take back: the user against "No Attack" drops three twins (the move list open beside
#      the window follows them), takes the last back with
#      Backspace, stops and saves: the record holds the two turns before it and the stop's
#      turn, and loads again; closing the program keeps the stopped match in History.
#   W  a computer match to its burial: the result under the picture, a copy equal to
#      AutoSave.DBD in History, Left steps back through the match without a load, and
#      File > Recent lists it. Studying it keeps no second copy.
#
# Uses the helpers of window-env.sh; the window speaks the language A chose.

# history_count: how many records History holds.
history_count() {
  { find "$work/GameData/History" -name '*.DBD' 2>/dev/null || true; } | wc -l
}

# record_turns FILE: the turn count a record states (line 21, "0003:SaveTurn").
record_turns() {
  sed -n '21s/^\([0-9]*\).*/\1/p' "$1" | sed 's/^0*//'
}

history_checks() {
  step "T: three drops, Backspace, Stop, Save As; closing keeps the match in History"
  local kept_before
  kept_before=$(history_count)
  if start T; then
    levels Home "Home Down"
    key ctrl+s
    sleep 1
    key ctrl+m  # the move list follows the live match
    key Left Down
    sleep 1.5
    key Right Down
    sleep 1.5
    key Right Right Down
    sleep 1.5
    settle || true
    shot T-three-drops
    key BackSpace
    sleep 1
    settle || true
    shot T-taken-back
    key ctrl+z
    settle || true
    shot T-stopped
    key ctrl+v
    sleep 1.5
    xdotool type --delay 30 "$WENV_DIR/taken.DBD"
    xdotool key Return
    sleep 1
    if [ ! -s "$WENV_DIR/taken.DBD" ]; then
      fail "T: Save As wrote no record"
    else
      cp "$WENV_DIR/taken.DBD" "$out/taken.DBD"
      [ "$(record_turns "$WENV_DIR/taken.DBD")" = 3 ] ||
        fail "T: the saved record holds $(record_turns "$WENV_DIR/taken.DBD") turns, not the two kept and the stop's"
      "$work/dalumaster-cli" replay "$WENV_DIR/taken.DBD" --appdir "$work" >"$out/taken.txt" 2>&1 ||
        fail "T: the saved record does not load again (see $out/taken.txt)"
    fi
    close_window
    finish T
    [ "$(history_count)" -eq $((kept_before + 1)) ] || fail "T: closing did not keep the stopped match in History"
  fi

  step "W: a computer match to its burial, studied without a load, History and Recent"
  rm -f "$work/GameData/AutoSave.DBD"
  if start W; then
    levels End "Home Down Down"
    key ctrl+s
    for _ in $(seq 240); do
      [ -e "$work/GameData/AutoSave.DBD" ] && break
      sleep 0.5
    done
    settle || true
    shot W-buried
    if [ ! -e "$work/GameData/AutoSave.DBD" ]; then
      fail "W: the match was not buried within two minutes"
    else
      local copy=""
      for f in "$work"/GameData/History/*.DBD; do
        cmp -s "$f" "$work/GameData/AutoSave.DBD" && copy=$f
      done
      [ -n "$copy" ] || fail "W: History holds no copy equal to AutoSave.DBD"
      local kept
      kept=$(history_count)
      key Left
      settle || true
      shot W-stepped-back
      case "$(title)" in *":replay") ;; *) fail "W: Left did not step back into the match: $(title)" ;; esac
      key Left Left
      settle || true
      click 616 464  # "×": the study ends where it stands, and Recent may be used again
      settle || true
      # File > Recent, from the keyboard: the menu opened, Up twice is Recent, Right opens it.
      xdotool mousemove --sync 30 29 click 1
      sleep 0.5
      xdotool key --delay 200 Up Up Right
      sleep 0.5
      shot W-recent
      xdotool key Escape Escape
      close_window
      finish W
      [ "$(history_count)" -eq "$kept" ] || fail "W: studying the match kept another copy in History"
    fi
  fi
}
