# Sourced by the program smoke tests: waits for a condition of the program
# under test, ending as soon as it holds. The bounds are generous, since a
# sanitized program on a busy machine may take a minute to start.

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# wait_startup PID LOG SECONDS: the program logged its first frame; fails
# when it ended before or the time ran out.
wait_startup() {
  end=$(( $(now_ms) + $3 * 1000 ))
  while ! grep -q "^startup:" "$2"; do
    kill -0 "$1" 2>/dev/null || return 1
    [ "$(now_ms)" -lt "$end" ] || return 1
    sleep 0.05
  done
}

# end_program PID SECONDS: asks the program to end and returns its exit
# code; kills it and fails with 1 if it is still running after the time.
end_program() {
  kill -TERM "$1" 2>/dev/null
  end=$(( $(now_ms) + $2 * 1000 ))
  while kill -0 "$1" 2>/dev/null; do
    if [ "$(now_ms)" -ge "$end" ]; then
      kill -KILL "$1"
      echo "program did not end after SIGTERM"
      return 1
    fi
    sleep 0.05
  done
  wait "$1"
}

# The helpers below drive the program under a virtual display with xdotool:
# it runs as $pid and logs to ./log with --log-actions --log-startup; $mark
# is the log line read up to, and a failed check sets $status to 1.

# The view from the newest logged record.
view() { grep "^action" log | tail -n 1 | awk '{print $11, $12}'; }

# Clicks the centre of field x, y with the button ($3, else the left one).
click_field() {
  set -- "$1" "$2" "${3:-1}" $(view)
  xdotool mousemove $(($1 * 40 + 20 - $4)) $(($2 * 40 + 20 - $5))
  sleep 0.3
  xdotool click "$3"
  sleep 0.3
}

# A logged record matching the pattern after line $2 of the log, waited
# for up to $3 seconds, else two minutes: a busy machine runs the sanitized
# program slowly.
wait_for() {
  end=$(( $(now_ms) + ${3:-120} * 1000 ))
  while ! tail -n +"$(($2 + 1))" log | grep -q "$1" && [ "$(now_ms)" -lt "$end" ] && kill -0 $pid 2>/dev/null; do
    sleep 0.05
  done
  tail -n +"$(($2 + 1))" log | grep -q "$1"
}

# Clicks at a point until a record matching the pattern is logged after
# the mark (the page may still be on its way).
click_until() {
  i=0
  while [ $i -lt 40 ] && ! tail -n +"$((mark + 1))" log | grep -q "$1"; do
    xdotool mousemove "$2" "$3"
    sleep 0.1
    xdotool click 1
    sleep 0.3
    i=$((i + 1))
  done
}

# Waits for a record matching the pattern ($2) after the mark and moves the
# mark past it; reports the failed step ($1) otherwise.
check() {
  if ! wait_for "$2" "$mark"; then
    echo "FAILED: $1"
    status=1
  fi
  n=$(tail -n +"$((mark + 1))" log | grep -n "$2" | head -n 1 | cut -d: -f1)
  [ -n "$n" ] && mark=$((mark + n))
}

# From the menu to the first turn of demo mission 1: "Neues Spiel", a click
# on the introduction, the welcome page read on and the scout's first choice.
start_demo_mission() {
  check "the menu came up" "^startup: first frame of the menu"
  # The click goes to the window once the display shows it.
  timeout 120 xdotool search --sync --onlyvisible --name "^Orvandia\$" >/dev/null ||
    { echo "FAILED: the window was never shown"; status=1; }
  # "Neues Spiel", the first main button; the introduction is the game's
  # first picture, a click closes it and the turn starts with a result record.
  click_until "^startup: first frame of the game" 670 144
  check "a click on the menu's first button started a game" "^startup: first frame of the game"
  xdotool mousemove 400 300
  sleep 0.2
  xdotool click 1
  # The neutral player moves first; the clicks below wait for the own turn.
  check "the neutral turn ended" "^action 1 "
  # The turn's first record shows the welcome pages on the centred parchment.
  sleep 1
  click_until "^action 18 1 " 400 300
  check "a click read the welcome page on" "^action 18 1 "
  # The scout's page: down the text column until the first choice is hit.
  y=220
  while [ $y -lt 420 ] && ! tail -n +"$((mark + 1))" log | grep -q "^action 18 200"; do
    xdotool mousemove 300 $y
    sleep 0.1
    xdotool click 1
    sleep 0.3
    y=$((y + 6))
  done
  check "the scout's first choice was taken" "^action 18 2000 "
  click_until "^action 18 1 " 400 300
  check "the scout's answer page was read on" "^action 18 1 "
  check "the first turn began" "^action 3 1 "
}

# The outer half of a smoke step on a virtual display: the program beside
# fresh demo data in a temporary folder, and the calling script run again
# inside xvfb-run as "SCRIPT --inside FOLDER". Skips (77) without xvfb-run or
# xdotool; ends with the inner run's status.
run_on_virtual_display() {
  if ! command -v xvfb-run >/dev/null 2>&1 || ! command -v xdotool >/dev/null 2>&1; then
    echo "xvfb-run or xdotool missing: skipped"
    exit 77
  fi
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  cp "$2" "$work/orvandia" || exit 1
  "$3" build "$work/data" >/dev/null || exit 1
  "$3" ini "$work" "$work/data" || exit 1
  xvfb-run -a -s "-screen 0 800x600x24" sh "$1" --inside "$work"
  exit $?
}
