#!/bin/sh
# smoke_battle.sh PROGRAM DATATOOL
# On a virtual X display: demo mission 1 is started from the menu as in
# smoke_map.sh, the own group walks towards the wolves' camp, beyond its
# reach in the first turn, and the turn is ended. In the next turns the
# wolves (who march on their own) are found by clicks that select whatever
# group stands on a field, and the group is sent at them until a battle
# opens. On the battle screen a click on an own unit, then on the first foe
# gives the attack order, for each own unit, and a click on "Befehle
# akzeptieren" accepts; the logged orders carry the attack, and the round is
# played to its end: the next round's orders are awaited, or the battle is
# over. The game
# seeds its streams from the clock, so the wolves' march differs from run to
# run. Skipped (77) without xvfb-run or xdotool.
if [ "$1" = "--inside" ]; then
  . "$(dirname "$0")/program_waits.sh"
  cd "$2" || exit 1
  ./orvandia --log-actions --log-startup 2>log &
  pid=$!
  status=0
  mark=0
  # The log's lines after the mark.
  since_mark() { tail -n +"$((mark + 1))" log; }
  # Deselects with a right click on the map where no panel covers it.
  deselect() {
    xdotool mousemove 280 560
    sleep 0.2
    xdotool click 3
  }
  # Waits for a walk to end in a record matching the pattern. A page shown
  # on the way (the pass) holds the walk: Space reads it on after $2 seconds
  # without the record, for three minutes at most. Space would give
  # automatic orders on the battle screen, so a walk that may end in a battle
  # waits a minute: one that waits on a page opens none.
  await_walk() {
    stop=$(( $(now_ms) + 180000 ))
    while ! wait_for "$1" "$mark" "$2" && [ "$(now_ms)" -lt "$stop" ]; do
      xdotool key space
    done
    since_mark | grep -q "$1"
  }
  # Enter asks "Runde beenden?", and Enter answers "Ja".
  end_turn() {
    i=0
    while [ $i -lt 30 ] && ! since_mark | grep -q "^action 1 "; do
      xdotool key Return
      sleep 1
      i=$((i + 1))
    done
    check "the turn was ended" "^action 1 "
  }
  # Num* selects the own group; the right click before drops any selection.
  select_group() {
    deselect
    sleep 1
    xdotool key KP_Multiply
    check "Num* selects the own group" "^action 4 $hero "
  }
  # Clicks with nothing selected select the group on a field: the visible
  # fields within six of the point where the own group shows at the turn's
  # start, nearest first, except the city's. A selection of the wolves may
  # be logged after the next click: both fields are tried again. Writes the
  # wolves' field to ./wolves_field, or nothing.
  find_wolves() {
    select_group
    deselect
    check "a right click deselects" "^action 4 0 "
    set -- $(view)
    vx=$1
    vy=$2
    fy=0
    while [ $fy -lt 20 ]; do
      fx=4
      [ $fy -gt 3 ] && fx=0
      while [ $fx -lt 20 ]; do
        dx=$((fx * 40 + 20 - vx - 327))
        dy=$((fy * 40 + 20 - vy - 300))
        [ $((dx * dx + dy * dy)) -le 57600 ] && [ $((fx * 40 + 20 - vx)) -ge 30 ] && [ $((fx * 40 + 20 - vx)) -le 550 ] &&
          [ $((fy * 40 + 20 - vy)) -ge 30 ] && [ $((fy * 40 + 20 - vy)) -le 570 ] &&
          echo "$((dx * dx + dy * dy)) $fx $fy"
        fx=$((fx + 1))
      done
      fy=$((fy + 1))
    done | sort -n | cut -d' ' -f2- | {
      previous=""
      while read -r fx fy; do
        n=$(wc -l < log)
        xdotool mousemove $((fx * 40 + 20 - vx)) $((fy * 40 + 20 - vy))
        sleep 0.1
        xdotool click 1
        sleep 0.5
        id=$(tail -n +"$((n + 1))" log | grep "^action 4 [1-9]" | tail -n 1 | cut -d' ' -f3)
        if [ "$id" = "$hero" ]; then
          n=$(wc -l < log)
          deselect
          wait_for "^action 4 0 " "$n" 10
        elif [ "$id" = "$wolves" ]; then
          for field in "$fx,$fy" $previous; do
            x=${field%,*}
            y=${field#*,}
            n=$(wc -l < log)
            deselect
            sleep 1
            xdotool mousemove $((x * 40 + 20 - vx)) $((y * 40 + 20 - vy))
            sleep 0.1
            xdotool click 1
            if wait_for "^action 4 $wolves " "$n" 5; then
              echo "$x $y"
              exit 0
            fi
          done
        fi
        previous="$fx,$fy"
      done
    } > wolves_field
    wx=""
    wy=""
    read -r wx wy < wolves_field
  }
  start_demo_mission
  deselect
  check "a right click deselects" "^action 4 0 "
  click_field 4 6
  check "a click on the group selects it" "^action 4 [1-9]"
  hero=$(sed -n "${mark}p" log | cut -d' ' -f3)
  # The wolves' camp is hidden and beyond reach: the group walks part of the way.
  click_field 12 11
  check "a click towards the wolves' camp walks the group" "^action 5 12 11 0 0 0 0 1"
  await_walk "^action 3 " 3
  check "the walk ended" "^action 3 "
  wolves=""
  battle=0
  turn=1
  while [ $battle -eq 0 ] && [ $turn -lt 5 ] && [ $status -eq 0 ]; do
    end_turn
    from=$mark
    # The computer, then the neutral player; then the own turn's first result.
    check "the computer's turn ended" "^action 1 "
    check "the neutral turn ended" "^action 1 "
    check "the own turn began" "^action 3 "
    turn=$((turn + 1))
    # The computer selects its wolves, then walks them towards a field.
    computer=$(tail -n +"$((from + 1))" log | head -n $((mark - from)))
    id=$(echo "$computer" | grep "^action 4 [1-9]" | head -n 1 | cut -d' ' -f3)
    [ -n "$id" ] && wolves=$id
    [ -n "$wolves" ] || { echo "FAILED: the computer selected no group"; break; }
    goal=$(echo "$computer" | grep "^action 5 " | tail -n 1 | cut -d' ' -f3,4)
    sleep 2
    find_wolves
    # Unseen, they are on their way to the field they walked to: the group
    # follows until it sees them.
    if [ -z "$wy" ] && [ -n "$goal" ]; then
      select_group
      click_field $goal
      if wait_for "^action 5 " "$mark" 20; then
        check "the group walks after the wolves" "^action 5 "
        await_walk "^action 3 " 3 || break
        check "the walk ended" "^action 3 "
        find_wolves
      fi
    fi
    tries=0
    while [ -n "$wy" ] && [ $tries -lt 3 ]; do
      tries=$((tries + 1))
      select_group
      click_field "$wx" "$wy"
      wait_for "^action 5 [0-9]* [0-9]* 1 0 0 $wolves 1" "$mark" 20 || break
      check "a click on the wolves sends the group at them" "^action 5 [0-9]* [0-9]* 1 0 0 $wolves 1"
      await_walk "^battle round 1$\|^action 3 " 60 || break
      since_mark | grep -q "^battle round 1$" && { battle=1; break; }
      check "the walk ended" "^action 3 "
      # Out of action points: the next turn.
      sed -n "${mark}p" log | grep -q "^action 3 3 " && break
    done
  done
  if [ $battle -eq 0 ]; then
    echo "FAILED: no battle opened within $turn turns"
    cat log
    end_program $pid 120
    exit 1
  fi
  check "the battle screen opened" "^battle round 1$"
  sleep 2
  # Each own unit on the field, then the first foe: a unit that walked too
  # far has no action points left for an attack. A right click on a free
  # cell drops the selection before the next unit.
  for unit in "240 374" "304 438"; do
    for point in "$unit 1" "432 182 1" "432 374 3"; do
      set -- $point
      xdotool mousemove "$1" "$2"
      sleep 0.3
      xdotool click "$3"
      sleep 0.5
    done
  done
  # "Befehle akzeptieren"; the record shows the first unit's order in full
  # and the kind of the second's. The computer's orders for the wolves follow.
  click_until "^action 15 3 " 500 570
  check "a click on the accept button sent an attack order" \
    "^action 15 3 \(1 1 4294967295 3 \|[0-9]* [0-9]* [0-9]* [0-9]* 1 1 \)"
  check "the wolves' orders came" "^action 15 3 "
  check "the round ended" "^battle round 2$\|^action 2 "
  [ $status -eq 0 ] || cat log
  end_program $pid 120 || { echo "program exit code $?"; exit 1; }
  exit $status
fi

. "$(dirname "$0")/program_waits.sh"
run_on_virtual_display "$0" "$1" "$2"
