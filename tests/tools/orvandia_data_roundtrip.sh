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
echo ok
