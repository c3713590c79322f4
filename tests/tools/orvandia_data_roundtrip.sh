#!/bin/sh
set -e
tool="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$tool" build "$dir/packed"
"$tool" build "$dir/loose" --loose
test -f "$dir/packed/globals.dat" && test -d "$dir/packed/Save"
test -f "$dir/loose/globals/default.txt"
"$tool" list "$dir/packed/globals.dat" | grep -q "default.txt"
"$tool" list "$dir/loose/globals" | grep -q "default.txt  *loose"
"$tool" extract "$dir/packed/globals.dat" DEFAULT.TXT "$dir/a.txt"
"$tool" decipher "$dir/loose/globals/default.txt" "$dir/b.txt"
cmp "$dir/a.txt" "$dir/b.txt"
grep -q "fonts.txt" "$dir/a.txt"
"$tool" ini "$dir" "$dir/packed"
grep -q "DataPath=$dir/packed" "$dir/data.ini"
if "$tool" extract "$dir/packed/globals.dat" missing.txt "$dir/c.txt" 2>/dev/null; then exit 1; fi
# An archive cut short: its last entry reaches past the end.
mkdir "$dir/cut"
size=$(wc -c < "$dir/packed/globals.dat")
head -c $((size - 10)) "$dir/packed/globals.dat" > "$dir/cut/globals.dat"
if "$tool" list "$dir/cut/globals.dat" > /dev/null 2> "$dir/err"; then echo "list of a cut archive succeeded"; exit 1; fi
grep -q "reaches past the end of the archive" "$dir/err"
# data.ini into a folder that is not there, or into a file.
if "$tool" ini "$dir/none" "$dir/packed" 2> "$dir/err"; then echo "ini into a missing folder succeeded"; exit 1; fi
grep -q "no such folder" "$dir/err"
if "$tool" ini "$dir/a.txt" "$dir/packed" 2> /dev/null; then echo "ini into a file succeeded"; exit 1; fi
# A generated scenario joins the scenario archive's loose files; sizes the
# game refuses are refused here.
"$tool" scenario "$dir/packed" gen.scn 16 16 4 4 1 7
"$tool" list "$dir/packed/scenario.dat" | grep -q "gen.scn  *loose"
for size in "0 0" "30 16" "16 132"; do
  if "$tool" scenario "$dir/packed" bad.scn $size 2> "$dir/err"; then echo "scenario of $size succeeded"; exit 1; fi
  grep -q "a map side is a multiple of 4" "$dir/err"
done
test ! -e "$dir/packed/scenario/bad.scn"
# Wrong arguments are named; nothing is cut or created silently.
if "$tool" scenario "$dir/packed" bad.scn 16 1x 2> "$dir/err"; then echo "height 1x accepted"; exit 1; fi
grep -q 'HEIGHT must be a number from 0 to 2147483647, not "1x"' "$dir/err"
if "$tool" sound "$dir/packed/sounds.dat" x.aul abc "$dir/s" 2> "$dir/err"; then echo "ID abc accepted"; exit 1; fi
grep -q 'ID must be a number' "$dir/err"
if "$tool" scenario "$dir/none" gen.scn 2> "$dir/err"; then echo "scenario into a missing folder succeeded"; exit 1; fi
grep -q "no such data folder" "$dir/err"
test ! -e "$dir/none"
"$tool" scenario "$dir/packed" full.scn 8 8 200 0 0 2> "$dir/err"
grep -q "the map holds [0-9]* of 200 groups" "$dir/err"
if "$tool" list "$dir/a.txt" 2> "$dir/err"; then echo "list of a plain file succeeded"; exit 1; fi
grep -q "neither an archive file" "$dir/err"
if "$tool" ini "$dir" "$dir/nothere" 2> "$dir/err"; then echo "ini with a missing data folder succeeded"; exit 1; fi
grep -q "no such data folder" "$dir/err"
echo ok
