#!/bin/sh
# lobby_two_processes.sh LOBBY_PEER ORVANDIA_DATA
# Two processes on 127.0.0.1 meet through the main menu: one hosts the demo's
# network scenario, the other finds it, both take parties and confirm, play
# two rounds with a move each, and must end in the same state. Every wait is
# bounded generously: on a busy machine a process may starve for seconds.
set -u
peer=$1
data=$2
work=$(mktemp -d)
pids=""
cleanup() {
  for p in $pids; do kill -KILL "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  for f in "$work"/*.out; do echo "--- $f"; cat "$f"; done
  exit 1
}
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
wait_for() {
  end=$(( $(now_ms) + $3 * 1000 ))
  while ! grep -q "$2" "$1" 2>/dev/null; do
    [ "$(now_ms)" -gt "$end" ] && return 1
    sleep 0.01
  done
}

"$data" build "$work/data" >/dev/null || fail "data"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
"$peer" "$work/data" host "$work/done" >"$work/host.out" 2>&1 &
host=$!
pids="$pids $host"
wait_for "$work/host.out" "^PORT " 120 || fail "the host did not open its game"
port=$(sed -n 's/^PORT //p' "$work/host.out")
"$peer" "$work/data" join "$port" >"$work/guest.out" 2>&1 &
guest=$!
pids="$pids $guest"
wait_for "$work/guest.out" "^STATE " 240 || fail "the guest did not finish"
wait_for "$work/host.out" "^STATE " 240 || fail "the host did not finish"
touch "$work/done"
wait "$guest" || fail "the guest failed"
wait "$host" || fail "the host failed"
grep "^LISTED" "$work/guest.out"
a=$(grep "^STATE " "$work/host.out")
b=$(grep "^STATE " "$work/guest.out")
echo "host:  $a"
echo "guest: $b"
[ "$a" = "$b" ] || fail "the machines differ"
echo ok
