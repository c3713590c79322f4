#!/bin/sh
# smoke_program.sh PROGRAM DATATOOL
# Runs the program beside a fresh demo data set until its first picture, asks it to end
# and expects an orderly exit with code 0.
set -e
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$1" "$work/orvandia"
"$2" build "$work/data" >/dev/null
"$2" ini "$work" "$work/data"
set +e
"$work/orvandia" --log-startup 2>"$work/err" &
pid=$!
# Up to the game's first picture, however slow the machine is today.
i=0
while ! grep -q "^startup:" "$work/err" && kill -0 "$pid" 2>/dev/null && [ $i -lt 300 ]; do sleep 0.1; i=$((i + 1)); done
if ! kill -0 "$pid" 2>/dev/null; then
  wait "$pid"
  echo "program ended early with $?"
  exit 1
fi
kill -TERM "$pid"
i=0
while kill -0 "$pid" 2>/dev/null && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
if kill -0 "$pid" 2>/dev/null; then
  kill -KILL "$pid"
  echo "program did not end after SIGTERM"
  exit 1
fi
wait "$pid"
rc=$?
[ $rc -eq 0 ] || echo "program exit code $rc"
exit $rc
