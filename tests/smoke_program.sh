#!/bin/sh
# smoke_program.sh PROGRAM DATATOOL
# Runs the program beside a fresh demo data set until its first picture, asks it to end
# and expects an orderly exit with code 0.
set -e
. "$(dirname "$0")/program_waits.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$1" "$work/orvandia"
"$2" build "$work/data" >/dev/null
"$2" ini "$work" "$work/data"
set +e
"$work/orvandia" --log-startup 2>"$work/err" &
pid=$!
if ! wait_startup "$pid" "$work/err" 240; then
  echo "no first picture:"
  cat "$work/err"
  end_program "$pid" 60
  exit 1
fi
end_program "$pid" 120
rc=$?
[ $rc -eq 0 ] || echo "program exit code $rc"
exit $rc
