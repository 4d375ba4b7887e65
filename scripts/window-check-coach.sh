# Sourced by scripts/window-check.sh: the coach in the real window.
#
#   H  the hint: the user against "No Attack" with Hint on (Ctrl+I): the ghost twin on the
#      field and the candidate table beside the window; it follows the next twin after a
#      drop.
#   R  the review of a record: Review (Ctrl+R) with its progress bar, the chance graph and
#      the move list's chance and mark columns, a click on the graph, Next mistake (Ctrl+N),
#      and Try again (Ctrl+Y): the twin steered and dropped, and the comparison shown.
#
# Uses the helpers of window-env.sh and $record, the record the replays of the check use.

# coach_window PATTERN: the id of the coach's window whose title matches, or nothing. The
# titles are those of the language A chose.
coach_window() {
  xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true
}

coach_checks() {
  step "H: the hint while the user steers"
  if start H; then
    levels Home "Home Down"
    key ctrl+i
    key ctrl+s
    sleep 3
    settle || true
    shot H-hint
    [ -n "$(coach_window "^(Hint|ヒント): ")" ] || fail "H: no candidate table beside the window"
    key Left Down
    sleep 3
    settle || true
    shot H-hint-next-twin
    key ctrl+z
    settle || true
    close_window
    finish H
  fi
  # The hint stays on for the next start (kept in DaluMaster.ini), which would show it in R.
  grep -q '^hint=true' "$work/DaluMaster.ini" || fail "H: the hint's switch was not kept in DaluMaster.ini"
  sed -i 's/^hint=true/hint=false/' "$work/DaluMaster.ini"

  step "R: Review, the graph and the marks, Next mistake, Try again"
  if start R "$record"; then
    settle || true
    click 616 464  # "×": the replay ends, the record stays to study
    settle || true
    key ctrl+m
    key ctrl+r
    sleep 0.5
    shot R-review-running
    # The review ends when its progress stops moving on the screen.
    for _ in 1 2 3 4; do settle && break; done
    shot R-reviewed
    review=$(coach_window "^(Review|検討)$")
    if [ -z "$review" ]; then
      fail "R: no review window"
    else
      # A click on the graph, a third of the way along: the field shows that turn.
      read -r rx ry < <(xdotool getwindowgeometry "$review" |
        sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p')
      read -r rw < <(xdotool getwindowgeometry "$review" |
        sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
      xdotool mousemove --sync $((rx + 30 + (rw - 40) / 3)) $((ry + 90)) click 1
      sleep 1
      settle || true
      shot R-graph-clicked
    fi
    key ctrl+n
    sleep 1
    settle || true
    shot R-next-mistake
    key ctrl+y
    sleep 0.5
    key Left Left z
    sleep 0.5
    shot R-try-steering
    key Down
    sleep 1
    for _ in 1 2 3; do settle && break; done
    shot R-try-result
    close_window
    finish R
  fi
}
