#!/bin/sh
# smoke_map.sh PROGRAM DATATOOL
# On a virtual X display: the program starts on the main menu; xdotool
# clicks "Neues Spiel" (demo mission 1), closes the introduction with a
# click, reads the welcome page on, answers
# the scout's page with its first choice and reads on, deselects with a right click, clicks
# the own group (selected), a
# field (the group walks there) and the city (the group goes in), moves a
# unit on the city screen, buys a drink, leaves, opens the creature book,
# presses Ctrl+G for screenshots, and the executed action records the program
# logs show that each click did its work. Before the city, Escape leads to the
# menu and the game is saved into the free slot; started again after the
# end, the program loads that save from the load page and shows the same
# round and gold. Skipped (77) without xvfb-run or xdotool.
if [ "$1" = "--inside" ]; then
  . "$(dirname "$0")/program_waits.sh"
  cd "$2" || exit 1
  ./orvandia --log-actions --log-startup 2>log &
  pid=$!
  status=0
  mark=0
  start_demo_mission
  # D opens the diary, and its Escape closes it; on the map Escape would
  # open the menu, so no menu shows that the diary was open.
  xdotool key d
  sleep 0.5
  xdotool key Escape
  sleep 1
  if tail -n +"$((mark + 1))" log | grep -q "^menu round"; then echo "FAILED: the diary did not open on D"; status=1; fi
  click_field 8 8 3
  check "a right click deselects" "^action 4 0 "
  click_field 4 6
  check "a click on the group selects it" "^action 4 [1-9]"
  # One field towards the city, so that the action points last for going in.
  click_field 4 5
  check "a click on a field walks the selected group there" "^action 5 4 5 0 0 0 0 1"
  check "the walk ended" "^action 3 1 "
  sleep 0.5
  # Escape on the map opens the menu over the game; "Speichern", then "OK"
  # on the save page's free slot saves, and the game comes back.
  # One press: a second would continue the game from the menu.
  xdotool key Escape
  check "Escape opened the menu" "^menu round"
  saved=$(tail -n +"$mark" log | grep "^menu round" | head -n 1 | cut -d' ' -f2-)
  sleep 1
  i=0
  while [ $i -lt 40 ] && ! tail -n +"$((mark + 1))" log | grep -q "^game round"; do
    xdotool mousemove 670 344 click 1
    sleep 0.5
    xdotool mousemove 216 546 click 1
    sleep 1
    i=$((i + 1))
  done
  check "the game was saved and came back" "^game round"
  # The free slot: 00 and 01 are the turn's autosave and the mission start's.
  ls data/Save/[0-9][0-9].sav >/dev/null 2>&1 || { echo "FAILED: the menu wrote no save"; ls data/Save; status=1; }
  sleep 0.5
  # The city's fields 2..3, 2..3.
  click_field 2 2
  check "a click on the city orders the group in" "^action 5 0 0 0 256 0 [1-9][0-9]* 1"
  check "the group entered the city" "^action 10 [1-9]"
  # The city screen: the first portrait of the departure group dragged to
  # the other units and back, a drink bought in the tavern, out of the
  # tavern and the city with Esc, then the creature book opened and closed.
  sleep 1
  drag() {
    xdotool mousemove "$1" "$2"
    sleep 0.3
    xdotool mousedown 1
    sleep 0.2
    xdotool mousemove $(($1 + 10)) "$2"
    sleep 0.2
    xdotool mousemove "$3" "$4"
    sleep 0.3
    xdotool mouseup 1
    sleep 0.5
  }
  drag 49 521 723 521
  check "a portrait dragged out of the departure group" "^action 14 0 [1-9][0-9]* 2 "
  drag 723 521 49 521
  check "a portrait dragged into the departure group" "^action 14 2 [1-9][0-9]* 0 "
  click_until "^action 16 0" 122 102
  check "the tavern button opened the tavern" "^action 16 0"
  click_until "^action 17 6 " 309 141
  check "a drink was bought" "^action 17 6 "
  xdotool key Escape
  sleep 0.5
  xdotool key Escape
  check "Esc left the city" "^action 13 "
  sleep 0.5
  xdotool key c
  sleep 1
  xdotool key Escape
  sleep 0.5
  mkdir -p Bmp
  xdotool key ctrl+g
  # The series writes every fourth frame: wait for the first picture.
  end=$(( $(now_ms) + 120000 ))
  while ! ls Bmp/*.bmp >/dev/null 2>&1 && [ "$(now_ms)" -lt "$end" ] && kill -0 $pid 2>/dev/null; do
    sleep 0.05
  done
  xdotool key ctrl+g
  ls Bmp/*.bmp >/dev/null 2>&1 || { echo "FAILED: Ctrl+G wrote no screenshot"; status=1; }
  [ $status -eq 0 ] || cat log
  end_program $pid 120 || { echo "program exit code $?"; exit 1; }
  # Started again: "Laden", then "OK" on the first row, the menu's save once
  # the game's own ones are gone.
  rm -f data/Save/auto*.sav
  ./orvandia --log-actions --log-startup 2>log2 &
  pid=$!
  end=$(( $(now_ms) + 240000 ))
  while ! grep -q "^startup: first frame of the menu" log2 && [ "$(now_ms)" -lt "$end" ] && kill -0 $pid 2>/dev/null; do
    sleep 0.05
  done
  timeout 120 xdotool search --sync --onlyvisible --name "^Orvandia\$" >/dev/null
  sleep 1
  i=0
  while [ $i -lt 40 ] && ! grep -q "^game round" log2; do
    xdotool mousemove 670 294 click 1
    sleep 0.5
    xdotool mousemove 216 546 click 1
    sleep 1
    i=$((i + 1))
  done
  loaded=$(grep "^game round" log2 | head -n 1 | cut -d' ' -f2-)
  if [ -z "$saved" ] || [ "$saved" != "$loaded" ]; then
    echo "FAILED: saved \"$saved\", loaded \"$loaded\""
    status=1
    cat log2
  fi
  end_program $pid 120 || { echo "program exit code $?"; exit 1; }
  exit $status
fi

. "$(dirname "$0")/program_waits.sh"
run_on_virtual_display "$0" "$1" "$2"
