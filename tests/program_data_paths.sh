#!/bin/sh
# program_data_paths.sh PROGRAM DATATOOL
# The data path is Windows-1252 inside the program and UTF-8 on disk: a data
# folder named with umlauts is found, and a missing one is reported with the
# path searched, without creating anything.
set -e
. "$(dirname "$0")/program_waits.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$1" "$work/orvandia"
"$2" build "$work/Grün" >/dev/null
"$2" ini "$work" "$work/Grün"
printf '[Main]\r\nDataPath=%s/Gr\374n\r\n' "$work" > "$work/expected.ini"
cmp "$work/data.ini" "$work/expected.ini"
set +e
"$work/orvandia" --log-startup 2>"$work/err" &
pid=$!
if ! wait_startup "$pid" "$work/err" 240; then
  echo "no first picture:"; cat "$work/err"; end_program "$pid" 60; exit 1
fi
end_program "$pid" 120 || { echo "program failed:"; cat "$work/err"; exit 1; }

printf '[Main]\r\nDataPath=%s/Fehlt-\344\r\n' "$work" > "$work/data.ini"
timeout 240 "$work/orvandia" 2>"$work/err"
rc=$?
set -e
[ $rc -ne 0 ] || { echo "a missing data folder must fail"; exit 1; }
grep -q "Archive 'globals' not found." "$work/err"
grep -q "$work/Fehlt-ä/globals.dat" "$work/err"
[ ! -e "$work/Fehlt-ä" ] || { echo "the missing data folder was created"; exit 1; }
echo ok
