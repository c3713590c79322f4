#!/bin/sh
# smoke_video_options.sh PROGRAM DATATOOL
# On a virtual X display: the intro films play at start-up and Escape skips
# one (the film that is no video is passed over), then the menu's "Optionen"
# page opens, a click lowers the music volume and "OK" writes it into
# orvandia.ini; the program ends in order. Skipped (77) without xvfb-run or
# xdotool.
if [ "$1" = "--inside" ]; then
  . "$(dirname "$0")/program_waits.sh"
  cd "$2" || exit 1
  ./orvandia --log-startup 2>log &
  pid=$!
  status=0
  # Escape while a film plays, until one was skipped or the menu came.
  end=$(( $(now_ms) + 240000 ))
  while ! grep -q "skipped by the player" log && ! grep -q "^startup: first frame of the menu" log &&
    [ "$(now_ms)" -lt "$end" ] && kill -0 $pid 2>/dev/null; do
    if grep -q "^video: playing" log; then
      xdotool mousemove 400 300 key Escape
    fi
    sleep 0.1
  done
  grep -q "^video: intro[12].mpg skipped by the player" log || { echo "FAILED: no film was skipped"; status=1; }
  if ! wait_startup "$pid" log 240; then
    echo "FAILED: the menu never came"
    cat log
    end_program $pid 60
    exit 1
  fi
  grep -q "^video: intro3.mpg skipped, it cannot be played" log ||
    { echo "FAILED: the film that is none was not passed over"; status=1; }
  timeout 120 xdotool search --sync --onlyvisible --name "^Orvandia\$" >/dev/null ||
    { echo "FAILED: the window was never shown"; status=1; }
  # "Optionen", then the music slider's left arrow, then "OK"; again until
  # the settings file shows a lower music volume.
  i=0
  while [ $i -lt 30 ] && ! grep -q "^MusicVolume=[0-9][0-9]\?\s*$" orvandia.ini 2>/dev/null; do
    xdotool mousemove 670 394 click 1
    sleep 0.5
    xdotool mousemove 150 141 click 1
    sleep 0.3
    xdotool mousemove 216 546 click 1
    sleep 0.5
    i=$((i + 1))
  done
  grep -q "^MusicVolume=[0-9][0-9]\?\s*$" orvandia.ini 2>/dev/null ||
    { echo "FAILED: the music volume was not lowered and kept"; status=1; cat orvandia.ini; }
  end_program $pid 120 || { echo "program exit code $?"; exit 1; }
  [ $status -eq 0 ] || cat log
  exit $status
fi

. "$(dirname "$0")/program_waits.sh"
run_on_virtual_display "$0" "$1" "$2"
