#!/bin/sh
# smoke_controls.sh PROGRAM DATATOOL
# On a virtual X display: runs the program beside a fresh demo data set,
# clicks the demo window's list, arrow buttons, scroll bar, check box and
# menu button with xdotool, takes a screenshot with Ctrl+G and checks in it
# that every control answered. Skipped (77) without xvfb-run or xdotool.
if [ "$1" = "--inside" ]; then
  cd "$2" || exit 1
  # The demo window, centred on 800 x 600 (game/demo_window.h).
  wx=210 wy=150
  rgb565() { echo $(( ((($1 >> 16) & 255) >> 3) << 11 | ((($1 >> 8) & 255) >> 2) << 5 | (($1 & 255) >> 3) )); }
  # The colour of screen pixel x, y of a screenshot (bottom-up rows of 800).
  pixel() {
    off=$(od -An -tu4 -j10 -N4 "$1" | tr -d ' ')
    od -An -tu2 -j $((off + ((599 - $3) * 800 + $2) * 2)) -N2 "$1" | tr -d ' '
  }
  # Whether a colour appears in a w x h area at x, y.
  area_has() {
    off=$(od -An -tu4 -j10 -N4 "$1" | tr -d ' ')
    y=$3
    while [ "$y" -lt $(($3 + $5)) ]; do
      if od -An -tu2 -v -j $((off + ((599 - y) * 800 + $2) * 2)) -N $(($4 * 2)) "$1" | tr -s ' ' '\n' | grep -qx "$6"
      then return 0; fi
      y=$((y + 1))
    done
    return 1
  }
  # A screenshot series of a moment; prints the newest file.
  shot() {
    xdotool key ctrl+g
    sleep 0.4
    xdotool key ctrl+g
    sleep 0.3
    ls Bmp/*.bmp 2>/dev/null | sort | tail -n 1
  }
  click() {
    xdotool mousemove "$1" "$2"
    sleep 0.15
    xdotool click 1
    sleep 0.25
  }
  ./orvandia &
  pid=$!
  # The frame loop runs once the first screenshot comes.
  i=0
  first=""
  while [ -z "$first" ] && [ $i -lt 60 ] && kill -0 $pid 2>/dev/null; do
    sleep 1
    first=$(shot)
    i=$((i + 1))
  done
  status=0
  if [ -z "$first" ]; then
    echo "no screenshot: the program did not come up"
    status=1
  else
    click $((wx + 100)) $((wy + 34 + 2 * 20 + 10))   # list row 3: item 3
    click $((wx + 246 + 8)) $((wy + 56 + 8))        # down arrow twice: item 5
    click $((wx + 246 + 8)) $((wy + 56 + 8))
    click $((wx + 215 + 8)) $((wy + 34 + 160 - 8))  # the scroll bar's lower button twice
    click $((wx + 215 + 8)) $((wy + 34 + 160 - 8))
    click $((wx + 246 + 8)) $((wy + 90 + 8))        # the check box
    click $((wx + 14 + 80)) $((wy + 232 + 14))      # the menu button
    xdotool mousemove 20 20
    sleep 0.3
    last=$(shot)
    check() {
      if ! eval "$2"; then
        echo "FAILED: $1"
        status=1
      fi
    }
    selected=$(rgb565 0x8C6A3C)
    check "item 5 selected, shown in row 3 after scrolling by two" \
      '[ "$(pixel "$last" $((wx + 180)) $((wy + 34 + 2 * 20 + 10)))" = "$selected" ]'
    check "no other row selected" \
      '[ "$(pixel "$last" $((wx + 180)) $((wy + 34 + 4 * 20 + 10)))" != "$selected" ]'
    check "the check box ticked" 'area_has "$last" $((wx + 246)) $((wy + 84)) 16 28 "$(rgb565 0x2E7D32)"'
    check "odd rows striped" '[ "$(pixel "$last" $((wx + 180)) $((wy + 34 + 1 * 20 + 10)))" = "$(rgb565 0xB8A47A)" ]'
    check "the button changed the swatch" '[ "$(pixel "$last" $((wx + 204)) $((wy + 246)))" = "$(rgb565 0x30A040)" ]'
    check "nothing of that before" '[ "$(pixel "$first" $((wx + 204)) $((wy + 246)))" = "$(rgb565 0xC03030)" ]'
  fi
  kill -TERM $pid 2>/dev/null
  i=0
  while kill -0 $pid 2>/dev/null && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
  if kill -0 $pid 2>/dev/null; then
    kill -KILL $pid
    echo "program did not end after SIGTERM"
    exit 1
  fi
  wait $pid || { echo "program exit code $?"; exit 1; }
  exit $status
fi

if ! command -v xvfb-run >/dev/null 2>&1 || ! command -v xdotool >/dev/null 2>&1; then
  echo "xvfb-run or xdotool missing: skipped"
  exit 77
fi
set -e
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$1" "$work/orvandia"
"$2" build "$work/data" >/dev/null
"$2" ini "$work" "$work/data"
set +e
xvfb-run -a -s "-screen 0 800x600x24" sh "$0" --inside "$work"
