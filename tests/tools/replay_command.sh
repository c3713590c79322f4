#!/bin/sh
# The replay command: usage errors, scripts that are folders, scripts in
# UTF-8, and a mission start whose save folder cannot be made.
set -e
replay="$1"
data="$2"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$data" build "$dir/d" > /dev/null
# Usage errors exit non-zero with the usage text.
for args in "" "list $dir/d" "settings" "settings a b" "$dir/d" "a b c d"; do
  if $replay $args > /dev/null 2> "$dir/err"; then echo "accepted: $args"; exit 1; fi
  grep -q "usage:" "$dir/err"
done
if "$replay" "$dir/d" "$dir" > /dev/null 2> "$dir/err"; then echo "a folder ran as a script"; exit 1; fi
grep -q "is a folder, not a script" "$dir/err"
# A save named in the script with an umlaut gets that name.
umlaut=$(printf '\303\244')
printf 'seed 1\nmission 1\nsave Stand-%s.sav\n' "$umlaut" > "$dir/umlaut.txt"
"$replay" "$dir/d" "$dir/umlaut.txt" > /dev/null
test -f "$dir/d/Save/Stand-$umlaut.sav"
# Without a save folder the mission still starts, as in the game.
rm -rf "$dir/d/Save"
echo "a file where the folder belongs" > "$dir/d/Save"
printf 'seed 1\nmission 1\nhash\n' > "$dir/start.txt"
"$replay" "$dir/d" "$dir/start.txt" | grep -q "^state "
echo ok
