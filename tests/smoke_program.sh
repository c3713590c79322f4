#!/bin/sh
# Starts the program, lets it run its frame loop for a second, asks it to end
# and expects an orderly exit with code 0.
"$1" &
pid=$!
sleep 1
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
